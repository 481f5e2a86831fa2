// The character code table: the 255 single-byte codes of code page 932 as a 16 x 16 grid
// drawn in a chosen font. Pointing at a cell shows it large with its code; clicking it
// appends the character to the settings window's text, takes the table's font over, and
// hides the table. From the keyboard, Tab reaches the grid, arrows move between its cells and
// Enter or Space chooses one.
#pragma once

#include "ui/common/MdiChild.h"

#include <QWidget>

#include <array>

class QComboBox;
class QKeyEvent;
class QLabel;
class QPushButton;

namespace kalvetra {

class MainFrm;

// What a cell shows for code `code` (1 .. 255): the character, or nothing for a byte that
// has no drawable character of its own (control codes, lone lead bytes).
QString codeTableCharacter(int code);
// "cord : 0x41(65)" for code 65.
QString codeTableCodeText(int code);

class CordFrm : public QWidget, public MdiChild {
    Q_OBJECT
public:
    explicit CordFrm(MainFrm& settingsWindow, QWidget* parent = nullptr);

    QList<QMenu*> menus() const override;
    void activated() override;
    QSize sizeHint() const override;

    // The font list's selection handler: refills the cells while the table is visible.
    void Combo1_Click();

    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* Label2 = nullptr;  // the large character
    QLabel* Label3 = nullptr;  // its code
    std::array<QLabel*, 16> Label4{};          // column headers
    std::array<QLabel*, 16> Label5{};          // row headers
    std::array<QPushButton*, 256> Command1{};  // the cells

signals:
    // A cell was chosen: the frame hides the table's window.
    void chosen();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void pointAt(int code);
    void hidePreview();
    void choose(int code);
    int cellOf(const QObject* watched) const;
    void moveToCell(int code);
    // Arrows, Home and End move between the cells, Enter chooses; true when `key` was one.
    bool cellKey(int code, const QKeyEvent* key);
    QString selectedFont() const;
    bool isAccessKey(const QKeyEvent* event) const;
    // フォント(&F) takes the focus to the font box; true when `event` was that key.
    bool takeAccessKey(QEvent* event);

    MainFrm& m_main;
    int m_current = 0x41;  // the grid's cell in the tab order
};

}  // namespace kalvetra
