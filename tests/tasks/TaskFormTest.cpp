#include <gtest/gtest.h>

#include "core/Errors.h"
#include "support/TempDir.h"
#include "tasks/TaskForm.h"

namespace vexilo {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TaskForm NamedForm(const std::string& name) {
  TaskForm form;
  form.Name = name;
  form.StartUrl = "http://pics.example.org/";
  return form;
}

TEST(TaskForm, NumberBoxesTakeAnyTextAndCountTheRestAsZero) {
  const std::pair<const char*, int> rows[] = {
      {"9", 9},   {" 12 ", 12}, {"-3", -3},  {"+7", 7},          {"", 0},
      {"abc", 0}, {"1e3", 0},   {"12px", 0}, {"99999999999", 0},
  };
  for (const auto& [text, value] : rows) EXPECT_EQ(BoxNumber(text), value) << "'" << text << "'";
}

TEST(TaskForm, AnExistingFolderOrASlashInTheNameGivesAnotherFolderInside) {
  TempDir down;
  TempDir program;
  fs::create_directories(down / "cats");
  fs::create_directories(down / "(1)cats");
  TaskRecord r = NewTaskFromForm(NamedForm("cats"), down.Path().string() + "/", program.Path());
  EXPECT_EQ(r.FolderName, "(2)cats");
  EXPECT_EQ(r.TaskFolder, (down / "(2)cats").string());

  r = NewTaskFromForm(NamedForm("../a/b"), down.Path().string(), program.Path());
  EXPECT_EQ(r.FolderName, "..-a-b");
  EXPECT_EQ(fs::path(r.TaskFolder).parent_path(), down.Path());
  EXPECT_EQ(r.Name, "../a/b");

  EXPECT_THROW(NewTaskFromForm(NamedForm("cats"), " ", program.Path()), InputError);
}

TEST(TaskForm, ANameEmptiedInTheSettingsGetsAFolderOfItsOwn) {
  TempDir down;
  TempDir program;
  TaskRecord current = NewTaskFromForm(NamedForm("cats"), down.Path().string(), program.Path());
  TaskForm form = FormForTask(current, TaskForm{});
  form.Name = "";
  TaskRecord edited = EditedTaskFromForm(form, current, down.Path().string(), program.Path());
  EXPECT_EQ(edited.Name, "pics.example.org");
  EXPECT_EQ(edited.FolderName, "pics.example.org");

  // A block whose folder name is no folder of its own gets one, even with its name unchanged.
  current.FolderName = "..";
  form.Name = current.Name;
  edited = EditedTaskFromForm(form, current, down.Path().string(), program.Path());
  EXPECT_EQ(edited.FolderName, "cats");
  EXPECT_EQ(edited.TaskFolder, (down / "cats").string());
}

TEST(TaskForm, ShowingARecordTicksTheLimitsItHasAndKeepsThem) {
  TaskRecord r;
  r.TaskType = "2";
  r.StartUrl = "http://quick.test/";
  r.MinWidth = 300;
  r.MaxSizeKb = 64;
  r.LinkScope = 7;
  TaskForm shown;
  shown.LinkScope = 2;
  shown.QuickAddress = "old";
  TaskForm form = FormForTask(r, shown);
  EXPECT_EQ(form.MinWidth, (LimitInput{true, "300"}));
  EXPECT_EQ(form.MinHeight, (LimitInput{false, "0"}));
  EXPECT_EQ(form.Kind, TaskKind::Quick);
  EXPECT_EQ(form.QuickAddress, "http://quick.test/");
  EXPECT_EQ(form.LinkScope, 2) << "an unknown scope leaves the radios";
  EXPECT_FALSE(LeavingTabAllowed(form));

  r.TaskType = "1";
  form = FormForTask(r, form);
  EXPECT_EQ(form.QuickAddress, "http://quick.test/") << "only a quick task fills it";
  EXPECT_TRUE(LeavingTabAllowed(form));
  TempDir down;
  form.Name = "n";
  EXPECT_EQ(EditedTaskFromForm(form, r, down.Path().string(), down.Path()).MaxSizeKb, 64);
}

}  // namespace
}  // namespace vexilo
