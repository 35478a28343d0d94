#pragma once
// Screenshot mode (TARVIK_SCREENSHOTS=<dir>): once the window is ready (the mouse has been read),
// opens each page through its navigation entry, saves a picture of the whole window per page,
// prints each file's path on standard output and ends the program.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace tarvik::gui {

class ScreenshotTour : public QObject {
    Q_OBJECT
public:
    struct Stop {
        using Then = std::function<QWidget*(QWidget& window)>;
        Stop(QString buttonName, QString file, Then afterClick = {})
            : button(std::move(buttonName)), fileName(std::move(file)), then(std::move(afterClick)) {}

        // Object name of the navigation entry to click. A name ending in "_" stands for every copy
        // of the entry ("Btn_Adv_" for Btn_Adv_1 .. Btn_Adv_5); the visible one is clicked. Empty:
        // take the window as it is.
        QString button;
        QString fileName; // within the tour's directory
        // After the click: sets the window up further and returns what to take a picture of (a
        // dialog of the window, say); none or null: the window. A dialog taken is closed afterwards.
        Then then;
    };

    static constexpr int kSettleMs = 150; // lets the page draw before it is grabbed
    static constexpr int kDefaultTimeoutMs = 60000;

    // window: the top-level widget to grab. directory is created when missing.
    ScreenshotTour(QWidget& window, QList<Stop> stops, QString directory, QObject* parent = nullptr);

    // The directory TARVIK_SCREENSHOTS names; empty when screenshot mode is off.
    static QString directoryFromEnvironment();

    // Screenshot mode as the environment asks: a tour of mainWindowPages() owned by window, or null
    // when TARVIK_SCREENSHOTS is not set. Start it with startOn(window, <its "mouse read" signal>).
    static ScreenshotTour* fromEnvironment(QWidget& window);

    // The pages of the main window by their navigation entries, in bar order. Entries the layout
    // hides are passed over by the tour.
    static QList<Stop> mainWindowPages();

    // Ends the application when the tour is over (exit code 0 when every reachable page was saved,
    // 1 otherwise). On by default.
    void setQuitWhenDone(bool quit) { m_quitWhenDone = quit; }

    // Gives up (exit code 1) when ready has not come within that time; 0: wait for ever.
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }

    // Starts the tour the first time sender emits signal (the window's "mouse read" signal), and
    // arms the time-out.
    template <typename Sender, typename Signal> void startOn(const Sender* sender, Signal signal) {
        connect(sender, signal, this, &ScreenshotTour::start, Qt::SingleShotConnection);
        armTimeout();
    }

    // The window as the screen shows it: see-through outside its shape (mask).
    static QImage windowPicture(QWidget& window);
    // A left click at the centre of target, pressed and released there; nothing for null.
    static void click(QWidget* target);

    const QStringList& savedFiles() const { return m_saved; }
    const QStringList& skippedButtons() const { return m_skipped; }
    bool running() const { return m_next >= 0; }

public slots:
    // Runs the tour; the pictures are taken one event-loop turn apart. Does nothing once started.
    void start();

signals:
    // Every stop has been visited; ok is false when a picture could not be written.
    void finished(bool ok);

private:
    void armTimeout();
    void clickNext();
    void grabCurrent();
    void finish(bool ok);
    QWidget* visibleButton(const QString& name) const;

    QPointer<QWidget> m_window;
    QPointer<QWidget> m_subject; // what the current stop takes a picture of
    QList<Stop> m_stops;
    QString m_directory;
    bool m_quitWhenDone = true;
    int m_timeoutMs = kDefaultTimeoutMs;
    QTimer m_timeout;
    int m_next = -1; // index of the stop being taken; -1 before the start and after the end
    bool m_started = false;
    bool m_ok = true;
    QStringList m_saved;
    QStringList m_skipped;
};

} // namespace tarvik::gui
