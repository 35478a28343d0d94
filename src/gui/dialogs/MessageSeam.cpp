#include "gui/dialogs/MessageSeam.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace tarvik::gui {

namespace {
MessageSeam::Answerer* g_answerer = nullptr;

QString takeFileName() {
    if (g_answerer->nextFileNames.empty())
        return {};
    QString name = g_answerer->nextFileNames.front();
    g_answerer->nextFileNames.pop_front();
    return name;
}
} // namespace

void MessageSeam::setAnswerer(Answerer* answerer) {
    g_answerer = answerer;
}
MessageSeam::Answerer* MessageSeam::answerer() {
    return g_answerer;
}

void MessageSeam::showMessageDialog(QWidget* parent, const QString& text, const QString& fontName) {
    if (g_answerer) {
        g_answerer->messages << text;
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, parent);
    if (!fontName.isEmpty())
        box.setFont(QFont(fontName));
    box.exec();
}

void MessageSeam::showMessageBox(QWidget* parent, const QString& text) {
    if (g_answerer) {
        g_answerer->messages << text;
        return;
    }
    QMessageBox::information(parent, QString(), text, QMessageBox::Ok);
}

bool MessageSeam::confirm(QWidget* parent, const QString& text) {
    if (g_answerer) {
        g_answerer->messages << text;
        if (g_answerer->nextConfirmations.empty())
            return false;
        const bool yes = g_answerer->nextConfirmations.front();
        g_answerer->nextConfirmations.pop_front();
        return yes;
    }
    return QMessageBox::question(parent, QString(), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

QString MessageSeam::openFileName(QWidget* parent, const QString& caption, const QString& folder,
                                  const QString& filter) {
    if (g_answerer)
        return takeFileName();
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QString MessageSeam::saveFileName(QWidget* parent, const QString& caption, const QString& folder,
                                  const QString& filter) {
    if (g_answerer)
        return takeFileName();
    return QFileDialog::getSaveFileName(parent, caption, folder, filter);
}

QColor MessageSeam::chooseColor(QWidget* parent, const QColor& initial) {
    if (g_answerer) {
        if (g_answerer->nextColors.empty())
            return {};
        QColor colour = g_answerer->nextColors.front();
        g_answerer->nextColors.pop_front();
        return colour;
    }
    return QColorDialog::getColor(initial, parent);
}

} // namespace tarvik::gui
