#include <gtest/gtest.h>

#include "core/Errors.h"
#include "support/TempDir.h"
#include "tasks/TaskForm.h"
#include "tasks/TaskWizardFlow.h"

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

TEST(TaskForm, ANewNormalTaskGetsTheDefaultsOfTheForm) {
  TempDir down;
  TaskRecord r = NewTaskFromForm(NamedForm("cats"), down.Path().string());
  TaskRecord expected;
  expected.Name = "cats";
  expected.StartUrl = "http://pics.example.org/";
  expected.TaskFolder = (down / "cats").string();
  expected.FolderName = "cats";
  expected.LinkLevels = 9;
  expected.LinkScope = 1;
  expected.IdleSeconds = 10;
  expected.TaskType = "0";
  expected.GrabFromLinks = "0";
  EXPECT_EQ(r, expected);
}

TEST(TaskForm, AnExistingFolderOrASlashInTheNameGivesAnotherFolderInside) {
  TempDir down;
  fs::create_directories(down / "cats");
  fs::create_directories(down / "(1)cats");
  TaskRecord r = NewTaskFromForm(NamedForm("cats"), down.Path().string() + "/");
  EXPECT_EQ(r.FolderName, "(2)cats");
  EXPECT_EQ(r.TaskFolder, (down / "(2)cats").string());

  r = NewTaskFromForm(NamedForm("../a/b"), down.Path().string());
  EXPECT_EQ(r.FolderName, "..-a-b");
  EXPECT_EQ(fs::path(r.TaskFolder).parent_path(), down.Path());
  EXPECT_EQ(r.Name, "../a/b");

  EXPECT_THROW(NewTaskFromForm(NamedForm("cats"), " "), InputError);
}

TEST(TaskForm, AdvancedInputsLeftInAreWrittenForANormalTaskToo) {
  TempDir down;
  TaskForm form = NamedForm("cats");
  form.Kind = TaskKind::Normal;
  form.SearchUrlFilter = "gallery";
  form.GrabFromLinks = true;
  form.ManualLogin = true;
  form.LinkScope = 3;
  TaskRecord r = NewTaskFromForm(form, down.Path().string());
  EXPECT_EQ(r.SearchUrlFilter, "gallery");
  EXPECT_EQ(r.GrabFromLinks, "1");
  EXPECT_EQ(r.ManualLogin, 1);
  EXPECT_EQ(r.LinkScope, 3);
  EXPECT_EQ(r.TaskType, "0");
}

TEST(TaskForm, SettingsKeepTheFolderUnlessTheNameChanges) {
  TempDir down;
  fs::create_directories(down / "N");
  fs::create_directories(down / "(1)N");
  TaskRecord current = NewTaskFromForm(NamedForm("N"), down.Path().string());
  current.FolderName = "(1)N";
  current.TaskFolder = (down / "(1)N").string();

  TaskForm form = FormForTask(current, TaskForm{});
  TaskRecord same = EditedTaskFromForm(form, current, down.Path().string());
  EXPECT_EQ(same, current);

  form.Name = "M";
  TaskRecord renamed = EditedTaskFromForm(form, current, down.Path().string());
  EXPECT_EQ(renamed.FolderName, "M");
  EXPECT_EQ(renamed.TaskFolder, (down / "M").string());
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
  EXPECT_EQ(EditedTaskFromForm(form, r, down.Path().string()).MaxSizeKb, 64);
}

TEST(TaskWizardFlow, NextChecksThePagesInTheirOrder) {
  struct Row {
    const char* What;
    int Page;
    TaskForm Form;
    WizardNext::Action Action;
    int NextPage;
    const char* Message;
  };
  TaskForm quick;
  quick.Kind = TaskKind::Quick;
  TaskForm quickWithAddress = quick;
  quickWithAddress.QuickAddress = "http://q.test/";
  TaskForm noAddress = NamedForm("cats");
  noAddress.StartUrl.clear();
  TaskForm blanks = NamedForm(" ");
  using A = WizardNext::Action;
  const Row rows[] = {
      {"normal type", 1, TaskForm{}, A::ShowPage, 2, ""},
      {"quick, no address", 1, quick, A::Refuse, 1, kBlankAddressMessage},
      {"quick with address", 1, quickWithAddress, A::AcceptQuickTask, 1, ""},
      {"nothing typed", 2, TaskForm{}, A::Refuse, 2, kBlankNameMessage},
      {"no address", 2, noAddress, A::Refuse, 2, kBlankAddressMessage},
      {"a name of blanks", 2, blanks, A::ShowPage, 3, ""},
      {"links", 3, TaskForm{}, A::ShowPage, 4, ""},
      {"size", 4, TaskForm{}, A::Start, 4, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.What);
    WizardNext next = NextFromPage(row.Page, row.Form);
    EXPECT_EQ(next.What, row.Action);
    EXPECT_EQ(next.Page, row.NextPage);
    EXPECT_EQ(next.Refusal ? next.Refusal->Message : "", row.Message);
  }
}

}  // namespace
}  // namespace vexilo
