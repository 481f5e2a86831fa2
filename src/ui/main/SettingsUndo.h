// Undo and redo in the settings window. Each change of a setting is one step that holds the
// window's whole state before and after it, so that undoing gives back exactly what was
// there - every control, the preview and the colour guide - whatever the change touched. The
// state is read through the key table, so a new row of it is covered as it is added (a new
// kind of row needs its case in SettingsUndo.cpp; the compiler points at each).
#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QUndoStack>

#include <array>
#include <cstdint>
#include <variant>
#include <vector>

class QAction;

namespace kalvetra {

class MainFrm;

// What a user can change in the settings window.
struct SettingsSnapshot {
    using Value = std::variant<std::int64_t, QString>;
    std::vector<Value> keys;  // one per row of SettingsKeys, as its control holds it
    std::array<QString, 3> numberBoxes;  // may hold a number the slider has not taken yet
    QString text;
    QString backgroundPath;
    // What the preview and the colour guide show behind the lettering (a type dropped it
    // there while the image windows keep the path).
    QImage previewPicture;
    QImage guidePicture;

    bool operator==(const SettingsSnapshot& other) const;
};

SettingsSnapshot takeSnapshot(const MainFrm& window);

// Sets the window to `snapshot` through its controls, so that their handlers keep
// everything that depends on them, and redraws the preview and the colour guide.
void applySnapshot(MainFrm& window, const SettingsSnapshot& snapshot);

// How a step of colour slot 0 .. 5 is named: カラー① .. カラー⑤, 影の色.
QString colorCaption(int slot);

class SettingsHistory : public QObject {
    Q_OBJECT
public:
    explicit SettingsHistory(MainFrm& window);
    ~SettingsHistory() override;

    QUndoStack& stack() { return m_stack; }

    // Where history begins: the state now, with nothing to undo.
    void clear();

    // Records what changed since the last step, if anything; the window calls it after every
    // change of a setting. Ignored within a step and while a step is undone or redone.
    void noteChange();

    // A command that may change several settings at once (a settings file, the defaults, a
    // colour that also ends the background picture): one step named `label`, recorded when
    // the last Step of a nesting ends.
    class Step {
    public:
        Step(SettingsHistory& history, const QString& label);
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        SettingsHistory& m_history;
    };

    // 元に戻す / やり直し, their texts naming the step: with the shortcuts for the menu,
    // without them for the toolbar (whose shortcuts would reach every window of the frame).
    QAction* createUndoAction(QObject* parent, bool withShortcuts);
    QAction* createRedoAction(QObject* parent, bool withShortcuts);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class SettingsCommand;
    void record(const QString& label, int setting);
    void restore(const SettingsSnapshot& snapshot);
    void endRun() { m_runOpen = false; }

    MainFrm& m_window;
    QUndoStack m_stack;
    SettingsSnapshot m_current;  // the state the last step left
    int m_depth = 0;
    QString m_stepLabel;
    bool m_applying = false;
    // A drag of a slider, a run of arrow keys or of typing: further changes of the same
    // setting join the last step until the focus moves or a mouse button goes down or up.
    bool m_runOpen = false;
    int m_runSetting = -1;
    int m_runNumber = 0;
};

}  // namespace kalvetra
