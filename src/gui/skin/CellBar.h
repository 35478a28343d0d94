#pragma once
// A bar of picture cells (DPI steps, AIM, step time, pointer bars) as the keyboard and a screen reader
// know it: one control over the cells that takes focus, moves with the arrow keys and reads as a
// slider with a value. The pointer goes through it to the cells beneath, which stay as they are.

#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

namespace tarvik::gui {

class CellBar : public QWidget {
    Q_OBJECT
public:
    CellBar(const QString& objectName, QWidget* parent);

    // The cells it stands for, first to last. It covers them wherever they move, and is shown and
    // enabled as the first of them is.
    void setCells(std::vector<QWidget*> cells);
    int count() const { return static_cast<int>(m_cells.size()); }
    // Takes the place of the cells now. A page laid out while hidden moves its cells without telling
    // anybody until it is shown, so whoever orders controls by place calls this first.
    void fitToCells();

    // The cell chosen now (1..count; 0 for none), read from the page's settings when asked.
    void setCurrentSource(std::function<int()> current) { m_current = std::move(current); }
    int current() const { return m_current ? m_current() : 0; }

    // What a screen reader says: `stepPattern` ("%1, step %2 of %3, %4" in English) filled with the
    // label, the chosen cell, the number of cells and the chosen cell's value.
    void setLabel(const QString& label, const QString& stepPattern);
    void setValueText(std::function<QString(int)> valueText) { m_valueText = std::move(valueText); }
    QString label() const { return m_label; }
    QString spokenName() const;
    QString valueText(int cell) const { return m_valueText ? m_valueText(cell) : QString::number(cell); }

    bool showsKeyboardFocus() const { return m_keyboardFocus && hasFocus(); }

    // What the arrow keys and a screen reader's value change do: the page's click on that cell.
    void choose(int cell);

signals:
    void chosen(int cell);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<QWidget*> m_cells;
    std::function<int()> m_current;
    QString m_label;
    QString m_stepPattern;
    std::function<QString(int)> m_valueText;
    bool m_keyboardFocus = false;
};

} // namespace tarvik::gui
