#pragma once
// Only one copy of the program runs per user. The first copy holds a lock file and listens on a
// local socket named after the main window's title; a copy started later finds the lock taken,
// asks the first over the socket to restore and raise its window, and is told to end.
//
// Both live in a folder only the user can write to (XDG_RUNTIME_DIR, or a private folder of the
// user's), and only a lock file and a listener of the user's own count: a lock another user owns is
// removed, and a listener whose peer credentials name another user is neither asked nor answered.
// Anything else is "no other copy", so that nobody else can keep the program from starting.
//
// A copy that crashed leaves its lock file and socket behind: the lock records its process id, so
// the next start sees that nobody holds it any more, removes the leftover socket and listens.

#include <QByteArrayView>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

namespace tarvik::platform {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kWindowTitle = "Tarvik Gaming Mouse v1.0";
    static constexpr int kDefaultTimeoutMs = 3000;

    enum class Outcome {
        First,          // this copy runs: it listens for later copies (unless listening failed)
        AnotherRunning, // another copy runs and was asked to raise its window: this one ends
    };

    // key names the socket and the lock file; keyForTitle() makes one from a window title. They are
    // made in `directory` (runtimeDirectory() unless a test names another).
    explicit SingleInstance(QString key = keyForTitle(QString::fromLatin1(kWindowTitle)),
                            QString directory = runtimeDirectory(), QObject* parent = nullptr);
    ~SingleInstance() override; // stops listening and gives the lock back

    // A name usable for a local socket and a file: the title in lower case with every run of other
    // characters than letters and digits made one "-", followed by the user's id, so that two
    // users on one computer each run their own copy.
    static QString keyForTitle(const QString& title);

    // XDG_RUNTIME_DIR when it is a folder of this user's that nobody else may write to; otherwise a
    // folder of the user's own made for it (mode 0700) in the temporary folder, or, when that name
    // is taken by somebody else, under the home folder.
    static QString runtimeDirectory();

    // What the first copy makes of the bytes a later copy has sent so far: wait for more, raise the
    // window (a whole request line), end the connection without doing anything (any other line), or
    // drop it (too much without a line end: nothing of ours sends that).
    enum class Request { Incomplete, Raise, Other, TooLong };
    static Request readRequest(QByteArrayView pending);

    // Becomes the first copy, or asks the running one to raise its window. Blocks at most about
    // timeoutMs while a copy that holds the lock is still starting up; when the holder never
    // answers, this copy runs rather than leaving the user with no window at all.
    Outcome claim(int timeoutMs = kDefaultTimeoutMs);

    bool isListening() const;
    const QString& key() const { return m_key; }
    const QString& directory() const { return m_directory; }
    QString lockFilePath() const;
    // The socket's full path (the server's name as the system sees it), valid once listening.
    QString socketPath() const;

signals:
    // A later copy asked for the window to be restored (un-minimised) and brought to the front.
    void raiseRequested();

private:
    enum class Answer { Raised, Nobody, Stranger };

    QString socketName() const;
    void removeForeignLock();
    bool becomeFirst();
    Answer askRunningToRaise(int waitMs);
    void answer();
    void stopListening();

    QString m_key;
    QString m_directory;
    QLockFile m_lock;
    int m_listener = -1; // the listening socket, -1 while not listening
    std::unique_ptr<QSocketNotifier> m_incoming;
};

} // namespace tarvik::platform
