#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QDialog;
class QFileDialog;
class QMessageBox;
class QWidget;

// Every message box and file chooser of the program goes through this module, so that tests can
// replace the handlers, script the answers and read back what would have been shown.
namespace Dialogs {

enum class TMsgIcon { None, Information, Warning };
enum class TMsgButtons { Ok, YesNo };
enum class TMsgResult { Ok, Yes, No, Cancel };

struct TMessageRequest {
    QString Text;
    QString Title;
    TMsgIcon Icon = TMsgIcon::None;
    TMsgButtons Buttons = TMsgButtons::Ok;
    QStringList ButtonTexts;  // as shown, for example "はい(&Y)", "いいえ(&N)"
};

struct TOpenFilesRequest {
    QString Title;
    QStringList NameFilters;  // for example "JPEG イメージファイル (*.jpg *.jpeg *.jpe)"
    QString Folder;
    bool MultiSelect = true;
    bool Resizable = true;
};

struct TFolderRequest {
    QString Title;
    QString Folder;
};

using TMessageHandler = std::function<TMsgResult(const TMessageRequest&)>;
using TOpenFilesHandler = std::function<QStringList(const TOpenFilesRequest&)>;
using TFolderHandler = std::function<QString(const TFolderRequest&)>;
using TModalHandler = std::function<int(QDialog&)>;

// The plain box with one OK button.
void ShowMessage(const QString& text);
// The confirmation: information icon, title "情報", buttons "はい(&Y)" and "いいえ(&N)".
// True only when the user answers yes.
bool Confirm(const QString& text);
// The warning box titled "警告" with one OK button.
void ShowWarning(const QString& text);

// The file-open dialog; an empty list when the user cancels.
QStringList ChooseOpenFiles(const TOpenFilesRequest& request);
// The folder chooser; an empty text when the user cancels.
QString ChooseFolder(const TFolderRequest& request);

// Shows one of the program's own windows modally and returns its result (QDialog::Accepted or
// Rejected); tests replace it to drive the window or to answer for it.
int ExecModal(QDialog& window);

// Replace the handlers; each returns the handler it replaced. An empty handler restores the
// real dialogs.
TMessageHandler SetMessageHandler(TMessageHandler handler);
TOpenFilesHandler SetOpenFilesHandler(TOpenFilesHandler handler);
TFolderHandler SetFolderHandler(TFolderHandler handler);
TModalHandler SetModalHandler(TModalHandler handler);

// The title of plain message boxes: the program's name.
QString ApplicationTitle();

// The real dialogs, built for a request but not shown, so that their layout can be checked.
// A message box is wide enough for its title beside the window frame's buttons, and its text
// is broken into lines (WrapMessageLines) no wider than MessageLineWidth.
std::unique_ptr<QMessageBox> NewMessageBox(const TMessageRequest& request, QWidget* parent);
// The file-open dialog in its detail view, large enough for the name, size, type and date
// columns side by side, with dates in Japanese form.
std::unique_ptr<QFileDialog> NewOpenFilesDialog(const TOpenFilesRequest& request, QWidget* parent);

// The widest line of a message box's text, in pixels, on the parent's screen.
int MessageLineWidth(const QWidget* parent);

// The lines of a message as a box shows them. A line of the text wider than maxWidth (as widthOf
// measures) is broken after a path separator or at a space, the last that keeps the line within
// maxWidth; where there is none, where the language allows a break; only a word longer than a
// line is cut. A space at a break is dropped.
QStringList WrapMessageLines(const QString& text, int maxWidth,
                             const std::function<int(const QString&)>& widthOf);

}  // namespace Dialogs
