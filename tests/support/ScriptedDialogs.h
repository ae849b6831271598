#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QList>
#include <QStringList>
#include <functional>

#include "platform/Dialogs.h"

// Plays the user in a modal window without a modal loop: shows the window, runs the action on it
// and gives the result it was closed with (Rejected when it is still open, which closes it). A
// window of another kind fails the test.
template <class Window>
std::function<int(QDialog&)> Drive(std::function<void(Window&)> action) {
    return [action = std::move(action)](QDialog& window) {
        auto* form = dynamic_cast<Window*>(&window);
        if (form == nullptr) {
            ADD_FAILURE() << "unexpected modal window " << window.windowTitle().toStdString();
            return int(QDialog::Rejected);
        }
        form->setResult(QDialog::Rejected);
        form->show();
        action(*form);
        const int result = form->isVisible() ? int(QDialog::Rejected) : form->result();
        form->hide();
        return result;
    };
}

// Replaces the real message boxes and file choosers for its lifetime: answers come from queues
// (an empty queue answers OK, or yes to a confirmation) and every request is recorded.
class TScriptedDialogs {
public:
    TScriptedDialogs();
    ~TScriptedDialogs();
    TScriptedDialogs(const TScriptedDialogs&) = delete;
    TScriptedDialogs& operator=(const TScriptedDialogs&) = delete;

    void AnswerNext(Dialogs::TMsgResult answer) { FAnswers.append(answer); }
    void ChooseFilesNext(const QStringList& files) { FFileAnswers.append(files); }
    void ChooseFolderNext(const QString& folder) { FFolderAnswers.append(folder); }
    // Runs while a message box would be showing, before it answers (for example to drive the
    // program from inside a confirmation).
    void OnMessage(std::function<void(const Dialogs::TMessageRequest&)> action) {
        FOnMessage = std::move(action);
    }

    // Runs in place of the next modal window of the program (see Dialogs::ExecModal) and gives
    // its result. Without one, a modal window is not shown and answers Rejected.
    void OnModalNext(std::function<int(QDialog&)> action) {
        FModalActions.append(std::move(action));
    }
    // Drives the next modal window, which must be a Window, as a user would (see Drive).
    template <class Window>
    void DriveModalNext(std::function<void(Window&)> action) {
        OnModalNext(Drive<Window>(std::move(action)));
    }
    // Lets the next modal window run for real, for a window that ends by itself (the import).
    void RunModalNext() {
        OnModalNext([](QDialog& window) { return window.exec(); });
    }
    // The titles of the modal windows the program opened, in order.
    const QStringList& ModalTitles() const { return FModalTitles; }

    const QList<Dialogs::TMessageRequest>& Messages() const { return FMessages; }
    QStringList MessageTexts() const;
    // The first line of each message: the store messages name the file on the lines after it.
    QStringList MessageHeads() const;
    const QList<Dialogs::TOpenFilesRequest>& FileRequests() const { return FFileRequests; }
    const QList<Dialogs::TFolderRequest>& FolderRequests() const { return FFolderRequests; }
    void ClearMessages() { FMessages.clear(); }

private:
    QList<Dialogs::TMsgResult> FAnswers;
    QList<QStringList> FFileAnswers;
    QList<QString> FFolderAnswers;
    QList<Dialogs::TMessageRequest> FMessages;
    QList<Dialogs::TOpenFilesRequest> FFileRequests;
    QList<Dialogs::TFolderRequest> FFolderRequests;
    std::function<void(const Dialogs::TMessageRequest&)> FOnMessage;
    QList<std::function<int(QDialog&)>> FModalActions;
    QStringList FModalTitles;
    Dialogs::TModalHandler FOldModal;
    Dialogs::TMessageHandler FOldMessage;
    Dialogs::TOpenFilesHandler FOldFiles;
    Dialogs::TFolderHandler FOldFolder;
};
