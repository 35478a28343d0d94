#pragma once
// Every modal dialog of the window goes through here: the message dialog, the standard message box,
// file dialogs and the colour dialog. A test installs an Answerer and the dialogs never open: messages
// are recorded and the answers come from the queues.

#include <QColor>
#include <QString>
#include <QStringList>

#include <deque>

class QWidget;

namespace tarvik::gui {

class MessageSeam {
public:
    struct Answerer {
        QStringList messages;               // every text shown, in order
        std::deque<QString> nextFileNames;  // "" (or an empty queue) answers "cancelled"
        std::deque<QColor> nextColors;      // an invalid colour (or an empty queue) answers "cancelled"
        std::deque<bool> nextConfirmations; // an empty queue answers "no"
    };

    // Installs the answerer (null to go back to real dialogs). The caller keeps it alive.
    static void setAnswerer(Answerer* answerer);
    static Answerer* answerer();

    // ShowMessageDialog: one OK button, no icon, in the language's font.
    static void showMessageDialog(QWidget* parent, const QString& text, const QString& fontName);
    // A standard message box with an empty caption and an OK button.
    static void showMessageBox(QWidget* parent, const QString& text);
    // A question with Yes and No (No the default); true for Yes. The text is recorded in `messages`.
    static bool confirm(QWidget* parent, const QString& text);
    // Empty when cancelled.
    static QString openFileName(QWidget* parent, const QString& caption, const QString& folder,
                                const QString& filter);
    static QString saveFileName(QWidget* parent, const QString& caption, const QString& folder,
                                const QString& filter);
    // Invalid when cancelled.
    static QColor chooseColor(QWidget* parent, const QColor& initial);
};

} // namespace tarvik::gui
