// The recordings list of the main window: projects, and the commands on the
// selected row's file.

#include "recorder/app/form1.h"

#include "recorder/widgets/user_prompts.h"
#include "recorder/recordings/project_file.h"
#include "recorder/recordings/recording_files.h"
#include "recorder/settings/application_folder.h"

#include <QLabel>
#include <QTreeWidget>

#include <filesystem>
#include <iostream>

namespace recorder {

namespace {

constexpr const char* kProjectFilter = "Project Files(*.rpf)";
constexpr const char* kListAtExitName = "recordings at exit.rpf";

std::string trimmedOfSpaces(const std::string& s)
{
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

} // namespace

std::vector<RecordingRow> Form1::rows() const
{
    std::vector<RecordingRow> out;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = ListView1->topLevelItem(i);
        out.push_back({item->text(0).toStdString(), item->text(1).toStdString(), item->text(2).toStdString(),
                       item->text(3).toStdString(), item->text(4).toStdString(), item->text(5).toStdString()});
    }
    return out;
}

void Form1::appendRow(const RecordingRow& row)
{
    auto* item = new QTreeWidgetItem(ListView1);
    const std::string* fields[] = {&row.number, &row.path, &row.size, &row.duration, &row.recordTime, &row.format};
    for (int i = 0; i < 6; ++i) item->setText(i, QString::fromStdString(*fields[i]));
}

QTreeWidgetItem* Form1::selectedRow() const
{
    const auto selected = ListView1->selectedItems();
    return selected.isEmpty() ? nullptr : selected.front();
}

void Form1::RenumberRows()
{
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) ListView1->topLevelItem(i)->setText(0, QString::number(i + 1));
}

void Form1::newProjectCommand() { ListView1->clear(); }

void Form1::openProjectCommand()
{
    auto path = prompts_.openFile(this, "Select a recording project file", kProjectFilter);
    if (!path) return;
    const ProjectLoadResult loaded = loadProject(*path);
    for (const auto& row : loaded.rows) appendRow(row);
    using Outcome = ProjectLoadResult::Outcome;
    switch (loaded.outcome) {
    case Outcome::Complete: break;
    case Outcome::Stopped:
        StatusPanel2->setText(QString::fromStdString("Line " + std::to_string(loaded.stoppedAtLine) + " of " + *path +
                                                     " is not a recording: the rows before it were added."));
        break;
    case Outcome::NotAProject:
        prompts_.message(this, *path + " is not a recording project file: nothing was added to the list.",
                         MessageIcon::Exclamation);
        break;
    case Outcome::Unreadable:
        prompts_.message(this, "The recording project " + *path + " could not be opened (" + loaded.error + ").",
                         MessageIcon::Error);
        break;
    }
}

void Form1::saveProjectCommand()
{
    auto path = prompts_.saveFile(this, "Save recording project file", kProjectFilter);
    if (!path) return;
    const std::vector<RecordingRow> list = rows();
    const ProjectSaveResult saved = saveProject(*path, list);
    if (saved.error) {
        prompts_.message(this, "The recording project could not be saved to " + *path + " (" + saved.error.message() + ").",
                         MessageIcon::Error);
        return;
    }
    if (!saved.refused.empty()) {
        // A TAB or a line break cannot be stored in a project line: say which rows stayed out.
        std::string text = "These recordings were not saved in the project, because a TAB or a line break in their "
                           "text cannot be stored in a project file:\n";
        for (std::size_t index : saved.refused)
            text += "\nrow " + std::to_string(index + 1) + ": " + list[index].path;
        text += "\n\nRename their files to save them. The other rows were saved.";
        prompts_.message(this, text, MessageIcon::Exclamation);
    }
}

std::string Form1::listAtExitPath() { return applicationFolder() + "/" + kListAtExitName; }

void Form1::saveListAtExit()
{
    const std::string path = listAtExitPath();
    const ProjectSaveResult saved = saveProject(path, rows());
    // Nobody may be there to read a message: the terminal or the journal gets it.
    if (saved.error)
        std::cerr << "Velmor Sound Recorder: the recordings list could not be saved to " << path << " ("
                  << saved.error.message() << ")\n";
}

void Form1::restoreListOfLastRun()
{
    const std::string path = listAtExitPath();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return;
    const ProjectLoadResult loaded = loadProject(path);
    for (const auto& row : loaded.rows) appendRow(row);
    RenumberRows();
    // Read once: a list the user clears is not brought back again.
    if (loaded.outcome == ProjectLoadResult::Outcome::Unreadable) return;
    std::filesystem::remove(path, ec);
    if (!loaded.rows.empty())
        StatusPanel2->setText(QString::fromStdString("The recordings list of the last run was restored (" +
                                                     std::to_string(loaded.rows.size()) + " recordings)."));
}

void Form1::removeSelectedItem()
{
    QTreeWidgetItem* row = selectedRow();
    if (!row) return;
    delete row;
    RenumberRows();
}

void Form1::deleteSelectedFile()
{
    QTreeWidgetItem* row = selectedRow();
    if (!row) return;
    if (prompts_.message(this, "Do you want to delete the selected audio file now?", MessageIcon::Exclamation,
                         MessageButtons::OkCancel) != MessageAnswer::Ok)
        return;
    const std::string path = row->text(1).toStdString();
    const DeleteResult result = deleteRecording(path);
    if (result.outcome == DeleteResult::Outcome::Failed) {
        prompts_.message(this, "The file " + path + " could not be deleted (" + result.error + "). It stays in the list.",
                         MessageIcon::Error);
        return;
    }
    if (result.outcome == DeleteResult::Outcome::Trashed)
        StatusPanel2->setText(QString::fromStdString(path + " was moved to the trash."));
    delete row;
    RenumberRows();
}

void Form1::renameSelectedFile()
{
    QTreeWidgetItem* row = selectedRow();
    if (!row) return;
    const std::string path = row->text(1).toStdString();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        prompts_.message(this, path + " is not exist!", MessageIcon::Error);
        return;
    }
    auto answer = prompts_.input(this, "Old audio file name is: " + path + "\r\n\r\nPlease enter new Audio file name:", path);
    if (!answer) return;
    const std::string wanted = trimmedOfSpaces(*answer);
    if (wanted.empty()) return;

    using Outcome = RenameResult::Outcome;
    const RenameResult result = renameRecording(path, wanted);
    switch (result.outcome) {
    case Outcome::Renamed:
        row->setText(1, QString::fromStdString(result.newPath));
        prompts_.message(this, "Rename audio file is  succeeded!", MessageIcon::Information);
        break;
    case Outcome::Unchanged: break;
    case Outcome::Missing: prompts_.message(this, path + " is not exist!", MessageIcon::Error); break;
    case Outcome::TargetExists:
        prompts_.message(this, result.newPath + " already exists. Nothing was renamed; choose another name.",
                         MessageIcon::Exclamation);
        break;
    case Outcome::Failed:
        prompts_.message(this, "Rename audio file is  Faild!\n\n" + result.newPath + ": " + result.error,
                         MessageIcon::Information);
        break;
    }
}

} // namespace recorder
