#pragma once
// The window's restore of one archive, whatever the archive does: open it on the Restore
// tab (answering the password prompt and any message), tick the boxes it enables among
// those asked for, restore into the target and answer every message, then quit. The
// caller judges what changed.
#include <string>

namespace uihostile {

// boxes: restore box indexes separated by ","; password empty when none is to be typed.
int Restore(const std::wstring& exe, const std::wstring& archive, const std::wstring& password,
            const std::wstring& target, const std::string& boxes);

}  // namespace uihostile
