// Shows the wizard's four pages, the task settings dialog's four tabs and the delete
// confirmation, and saves each as a PNG into the folder named by the first argument.
// Run by scripts/screenshots under Xvfb.

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <iostream>

#include "tasks/DeleteTaskUnit.h"
#include "tasks/StartUnit.h"
#include "tasks/TaskFakes.h"
#include "tasks/TaskSettingUnit.h"

namespace {

bool Save(QWidget& window, const QString& folder, const QString& name) {
  QApplication::processEvents();
  QString file = QDir(folder).filePath(name + ".png");
  bool saved = window.grab().save(file);
  std::cout << (saved ? "wrote " : "could not write ") << file.toStdString() << "\n";
  return saved;
}

void ClickNext(QWidget& window) {
  for (QPushButton* button : window.findChildren<QPushButton*>()) {
    if (button->text() == "Next") button->click();
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::cerr << "usage: tasks_window_shots <output folder>\n";
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);
  vexilo::AppSettings settings;
  settings.DownFolder = QDir::tempPath().toStdString();
  vexilo::test::RecordingPrompts prompts;
  bool ok = true;

  vexilo::TTaskWizardForm wizard(settings, settings.DownFolder, prompts);
  wizard.show();
  ok = Save(wizard, folder, "wizard-1-type") && ok;
  ClickNext(wizard);
  wizard.findChild<QLineEdit*>("taskName")->setText("Dogs");
  wizard.findChild<QLineEdit*>("startUrl")->setText("http://pics.example.org/dogs/");
  ok = Save(wizard, folder, "wizard-2-name") && ok;
  ClickNext(wizard);
  ok = Save(wizard, folder, "wizard-3-links") && ok;
  ClickNext(wizard);
  ok = Save(wizard, folder, "wizard-4-size") && ok;
  wizard.hide();

  vexilo::TTaskSettingForm dialog(settings, settings.DownFolder, prompts);
  vexilo::TaskRecord task;
  task.Name = "Dogs";
  task.StartUrl = "http://pics.example.org/dogs/";
  task.TaskType = "1";
  task.GrabFromLinks = "1";
  task.SearchUrlFilter = "dogs";
  task.LinkCutFrom = "imgurl=";
  task.LinkCutTo = "&";
  task.LinkLevels = 3;
  task.LinkScope = 2;
  task.IdleSeconds = 20;
  task.MinWidth = 300;
  QTimer::singleShot(0, &dialog, [&] {
    auto* tabs = dialog.findChild<QTabWidget*>();
    const char* names[] = {"settings-1-type", "settings-2-general", "settings-3-links",
                           "settings-4-size", "settings-5-schedule"};
    for (int tab = 0; tab < tabs->count(); ++tab) {
      tabs->setCurrentIndex(tab);
      ok = Save(dialog, folder, names[tab]) && ok;
    }
    dialog.reject();
  });
  int checkHours = 24;
  dialog.ShowTaskSettings(task, checkHours);

  vexilo::TDeleteTaskForm confirm;
  confirm.show();
  ok = Save(confirm, folder, "delete") && ok;
  return ok ? 0 : 1;
}
