// A restore from the window reports its one event: which archive, into which profile, what
// was restored and what failed.
#include "jobs/run_events.h"
#include "restore_fixture.h"
#include "support/fake_event_log.h"

namespace tarvo {
namespace {

class RestoreEventsTest : public RestoreFixture {};

TEST_F(RestoreEventsTest, TheRestoreReportsWhatItRestored) {
  FakeEventLog log;
  app.events = &log;
  tp.drive.Put(app.state.SettingsFile, "[General]\r\nrunoutlookafterrestore=0\r\n");
  const struct {
    const char* list;
    EventId id;
    EventType type;
    const char* words;
  } cases[] = {
      {"Work.htm", kEventRestoreOk, EventType::Information, "Restore succeeded.\r\nProfile: Work\r\nBackup file: "
                                                            "C:\\b.tvo\r\nItems restored: 1, failed: 0"},
      {"Work.htm;Gone.htm", kEventRestoreFailed, EventType::Error,
       "Items restored: 0, failed: 1\r\nReason: these items could not be restored: Signatures"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list);
    log.events.clear();
    BuildArchive("C:\\b.tvo", {{"Work.htm", "sig"}}, Record({{"BackupSignatures", c.list}}, "00001000000"));
    Open("C:\\b.tvo");
    form.restoreitem[2].value = 1;
    form.RunRestore();
    ASSERT_EQ(log.events.size(), 1u);
    EXPECT_EQ(log.events[0].id, static_cast<std::uint32_t>(c.id));
    EXPECT_EQ(log.events[0].type, c.type);
    EXPECT_NE(log.events[0].text.find(c.words), std::string::npos) << log.events[0].text;
  }
}

}  // namespace
}  // namespace tarvo
