// Composing the image in the disc window: drops, "Add File", renames, removals, refused
// operations, the replace question and the pop-up menus, with real files.
#include "disc_form_fixture.h"

namespace tarvo {
namespace {

using Strings = std::vector<std::string>;

class DiscImageFormTest : public DiscFormTest {
 protected:
  DiscImageFormTest() {
    tp.drive.Put("C:\\src\\Mail\\a.pst", "pst");
    tp.drive.Put("C:\\src\\Mail\\Sub\\b.txt", "b");
    tp.drive.Put("C:\\src\\c.txt", "c");
    tp.drive.Put("C:\\src\\d.txt", "d");
    Open();
  }
  Strings TreeKeys() const {
    Strings keys;
    for (const auto& n : form->tvwFolders.nodes) keys.push_back(n.key);
    return keys;
  }
  Strings ListKeys() const {
    Strings keys;
    for (const auto& i : form->lvwImageFiles.items) keys.push_back(i.key);
    return keys;
  }
};

TEST_F(DiscImageFormTest, DropsLandInTheSelectedFolderAndAddFileAtTheTop) {
  form->tvwFolders_OLEDragDrop({"C:\\src\\Mail", "C:\\src\\c.txt"});
  EXPECT_EQ(TreeKeys(), (Strings{"\\", "\\Mail", "\\Mail\\Sub"}));
  const TreeNode& sub = *form->tvwFolders.Find("\\Mail\\Sub");
  EXPECT_EQ(sub.parentKey, "\\Mail");
  EXPECT_EQ(sub.text, "Sub");
  EXPECT_EQ(sub.image, "CLOSEDFOLDER");
  EXPECT_EQ(sub.selectedImage, "OPENFOLDER");
  EXPECT_EQ(ListKeys(), Strings{"\\c.txt"});  // the root is shown when nothing is selected
  EXPECT_TRUE(form->tvwFolders.Find("\\")->expanded);
  EXPECT_EQ(form->sbrStatus.panels[1], "Files: 3");
  EXPECT_EQ(form->sbrStatus.panels[2], "Folders: 2");

  form->tvwFolders_NodeClick("\\Mail");
  EXPECT_EQ(ListKeys(), Strings{"\\Mail\\a.pst"});
  form->lvwImageFiles_OLEDragDrop({"C:\\src\\d.txt"});
  EXPECT_EQ(ListKeys(), (Strings{"\\Mail\\a.pst", "\\Mail\\d.txt"}));

  form->tvwFolders_NodeClick("\\");
  form->tvwFolders_OLEDragDrop({"C:\\src\\d.txt"});
  EXPECT_NE(engine->WriteJob().Image().Find("\\d.txt"), nullptr);

  form->tvwFolders_NodeClick("\\Mail\\Sub");
  tp.ui.openAnswers.push_back("C:\\src\\Mail\\a.pst");
  form->munaddfile_Click();
  ASSERT_EQ(tp.ui.openRequests.size(), 1u);
  EXPECT_EQ(tp.ui.openRequests[0].title, "Add File to Write to the CD/DVD...");
  EXPECT_EQ(tp.ui.openRequests[0].filter, "Any File (*.*)|*.*");
  EXPECT_EQ(tp.ui.openRequests[0].fileName, "*.*");
  EXPECT_NE(engine->WriteJob().Image().Find("\\a.pst"), nullptr);
  EXPECT_TRUE(tp.ui.messages.empty());

  form->munaddfile_Click();  // cancelled
  ASSERT_EQ(Texts(), Strings{"A file was not added."});
  EXPECT_EQ(Last().caption, "");
  EXPECT_EQ(Last().icon, MsgIcon::Information);
}

TEST_F(DiscImageFormTest, RenamesAndRemovalsKeepTheViewsInStep) {
  form->tvwFolders_OLEDragDrop({"C:\\src\\Mail"});
  form->tvwFolders_NodeClick("\\Mail");
  form->mnuFileRenameFolder_Click();
  EXPECT_EQ(form->tvwFolders.editKey, "\\Mail");
  bool cancel = false;
  form->tvwFolders_BeforeLabelEdit(cancel);
  form->tvwFolders_AfterLabelEdit(cancel, "Post");
  EXPECT_FALSE(cancel);
  EXPECT_EQ(TreeKeys(), (Strings{"\\", "\\Post", "\\Post\\Sub"}));
  EXPECT_EQ(form->tvwFolders.Find("\\Post\\Sub")->parentKey, "\\Post");
  EXPECT_EQ(form->tvwFolders.Find("\\Post")->text, "Post");
  EXPECT_EQ(form->tvwFolders.selectedKey, "\\Post");
  EXPECT_EQ(ListKeys(), Strings{"\\Post\\a.pst"});

  form->lvwImageFiles_ItemClick("\\Post\\a.pst");
  form->mnuFileRenameFile_Click();
  EXPECT_EQ(form->lvwImageFiles.editKey, "\\Post\\a.pst");
  form->lvwImageFiles_AfterLabelEdit(cancel, "renamed.pst");
  EXPECT_EQ(ListKeys(), Strings{"\\Post\\renamed.pst"});

  form->lvwImageFiles_ItemClick("\\Post\\renamed.pst");
  form->mnuFileRemoveFile_Click();
  EXPECT_TRUE(ListKeys().empty());

  form->tvwFolders_NodeClick("\\Post\\Sub");
  form->mnuFileRemoveFolder_Click();
  EXPECT_EQ(TreeKeys(), (Strings{"\\", "\\Post"}));
  EXPECT_EQ(form->sbrStatus.panels[2], "Folders: 1");
  EXPECT_TRUE(tp.ui.messages.empty());
}

TEST_F(DiscImageFormTest, RefusedOperationsAreToldAndChangeNothing) {
  form->tvwFolders_OLEDragDrop({"C:\\src\\Mail", "C:\\src\\c.txt"});
  struct Case {
    const char* name;
    std::string treeSelection, listSelection;
    std::function<void(FrmMaindvdwrite&, bool&)> act;
    const char* text;
    bool cancels;
  } cases[] = {
      {"remove folder, none selected", "", "", [](auto& f, bool&) { f.mnuFileRemoveFolder_Click(); },
       "No Item Selected.", false},
      {"remove file, none selected", "", "", [](auto& f, bool&) { f.mnuFileRemoveFile_Click(); },
       "No Item Selected.", false},
      {"rename folder, none selected", "", "", [](auto& f, bool&) { f.mnuFileRenameFolder_Click(); },
       "No Item Selected.", false},
      {"rename file, none selected", "", "", [](auto& f, bool&) { f.mnuFileRenameFile_Click(); },
       "No Item Selected.", false},
      {"rename root", "\\", "", [](auto& f, bool& c) { f.tvwFolders_BeforeLabelEdit(c); },
       "Root directory can not be renamed.", true},
      {"remove root", "\\", "", [](auto& f, bool&) { f.mnuFileRemoveFolder_Click(); },
       "Item could not be removed.", false},
      {"rename folder onto a file", "\\Mail", "", [](auto& f, bool& c) { f.tvwFolders_AfterLabelEdit(c, "c.txt"); },
       "Folder could not be renamed.", true},
      {"rename file to a bad name", "", "\\c.txt", [](auto& f, bool& c) { f.lvwImageFiles_AfterLabelEdit(c, "a?b"); },
       "File could not be renamed.", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tp.ui.messages.clear();
    form->tvwFolders.selectedKey = c.treeSelection;
    form->lvwImageFiles.selectedKey = c.listSelection;
    form->tvwFolders.editKey.clear();
    form->lvwImageFiles.editKey.clear();
    bool cancel = false;
    c.act(*form, cancel);
    ASSERT_EQ(Texts(), Strings{c.text});
    EXPECT_EQ(Last().caption, "Tarvo Outlook Backup");
    EXPECT_EQ(Last().icon, MsgIcon::Information);
    EXPECT_EQ(cancel, c.cancels);
    EXPECT_TRUE(form->tvwFolders.editKey.empty());
    EXPECT_TRUE(form->lvwImageFiles.editKey.empty());
    EXPECT_EQ(engine->WriteJob().Image().FileCount(), 3);
    EXPECT_EQ(TreeKeys(), (Strings{"\\", "\\Mail", "\\Mail\\Sub"}));
  }
}

TEST_F(DiscImageFormTest, AFileAlreadyInTheImageIsReplacedOnlyOnOk) {
  tp.drive.Put("C:\\other\\c.txt", "newer c");
  form->tvwFolders_OLEDragDrop({"C:\\src\\c.txt"});
  for (auto [answer, source] : {std::pair{kMsgCancel, "C:\\src\\c.txt"}, {kMsgOk, "C:\\other\\c.txt"}}) {
    tp.ui.messages.clear();
    tp.ui.answers.push_back(answer);
    form->tvwFolders_OLEDragDrop({"C:\\other\\c.txt"});
    ASSERT_EQ(tp.ui.messages.size(), 1u);
    EXPECT_EQ(Last().text,
              "A file already exists in the image: \r\n\\c.txt\r\nWould you like to replace it with: \r\n"
              "C:\\other\\c.txt ?");
    EXPECT_EQ(Last().caption, "Replace file...");
    EXPECT_EQ(Last().buttons, MsgButtons::OkCancel);
    EXPECT_EQ(Last().icon, MsgIcon::Question);
    EXPECT_EQ(engine->WriteJob().Image().Find("\\c.txt")->SourcePath, source);
  }
}

TEST_F(DiscImageFormTest, RightClickPopsUpTheFileMenuOfThatView) {
  struct Case {
    bool tree;
    Strings entries;
  } cases[] = {
      {true, {"Add File", "-", "Clear All Items", "Remove Folder", "Rename Folder"}},
      {false, {"Add File", "-", "Clear All Items", "Remove File", "Rename File"}},
  };
  for (const Case& c : cases) {
    form->tvwFolders_OLEDragDrop({"C:\\src\\Mail"});
    tp.ui.popups.clear();
    tp.ui.popupAnswers.push_back(2);  // "Clear All Items"
    c.tree ? form->tvwFolders_MouseDown(2) : form->lvwImageFiles_MouseDown(2);
    ASSERT_EQ(tp.ui.popups.size(), 1u);
    EXPECT_EQ(tp.ui.popups[0], c.entries);
    EXPECT_EQ(engine->WriteJob().Image().FileCount(), 0);
    EXPECT_EQ(TreeKeys(), Strings{"\\"});
    EXPECT_EQ(form->tvwFolders.nodes[0].text, "New Disc");
    for (const MenuItem* item : {&form->mnuFileSep2, &form->mnuFileRemoveFile, &form->mnuFileRemoveFolder,
                                 &form->mnuFileSep3, &form->mnuFileExit})
      EXPECT_TRUE(item->visible);
  }
  tp.ui.popups.clear();
  form->tvwFolders_MouseDown(1);
  form->lvwImageFiles_MouseDown(1);
  tp.ui.popupAnswers.push_back(-1);
  form->tvwFolders_MouseDown(2);  // dismissed
  EXPECT_EQ(tp.ui.popups.size(), 1u);
  EXPECT_TRUE(tp.ui.messages.empty());
  EXPECT_TRUE(form->loaded);
}

}  // namespace
}  // namespace tarvo
