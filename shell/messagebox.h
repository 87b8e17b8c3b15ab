#pragma once

#include <QString>
#include <functional>

// Every message box of the program goes through MessageDlg: modal, centred on
// the screen, word-wrapped; the kind gives caption and icon. Lines of a
// message are joined by a single carriage return (character 13); the box
// shows each one as a line break.
enum class MsgKind {
    Warning, // "Avertissement", exclamation icon
    Information, // "Information", information icon
    Confirmation, // "Confirmation", question icon
    Error, // "Kaldrino", stop icon (the default error display)
};

enum class MsgButtons {
    Ok, // "OK" answers Enter and Escape
    YesNo, // "&Oui" is the default, "&Non" answers Escape
    // The same two buttons for a question whose "&Oui" cannot be undone:
    // "&Non" answers both Enter and Escape, so that only a deliberate
    // "&Oui" goes ahead.
    YesNoDefaultNo,
};

enum class MsgResult { Ok, Yes, No, Cancel };

MsgResult MessageDlg(const QString& text, MsgKind kind, MsgButtons buttons);

// Test seam: while a handler is installed, MessageDlg shows nothing and
// returns what the handler answers.
struct MessageRecord {
    QString text;
    MsgKind kind;
    MsgButtons buttons;
};
using MessageSeam = std::function<MsgResult(const MessageRecord&)>;
void setMessageSeamForTesting(MessageSeam seam);
