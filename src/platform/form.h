#pragma once
// A window as the Ui shows it: the forms derive from it, and a Ui backend looks at the
// name to build the matching real window.
#include <string>

namespace tarvo {

class Form {
 public:
  virtual ~Form() = default;
  virtual const char* Name() const = 0;
  std::string caption;
  bool loaded = false;
  bool visible = false;
};

}  // namespace tarvo
