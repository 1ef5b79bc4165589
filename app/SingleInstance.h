// One running program per user and executable: the first start listens on a local socket
// named after the executable and the user; a second start asks it to restore and raise its
// window and ends. A socket name left behind by a crash is removed and taken over.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace framewise {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    enum class Role {
        Primary,    // this process runs the window
        Secondary,  // another instance was told to come forward; end without a window
        Failed,     // neither could be done (the name is unusable); run without the guard
    };

    // name: a QLocalServer name or a full socket path.
    explicit SingleInstance(QString name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // "<executable base name>-<uid>.instance", placed in the user's private runtime folder when
    // there is one.
    static QString DefaultName();

    // Connects to a running instance and asks it to come forward, or becomes the instance.
    Role Claim();
    const QString& Name() const { return m_name; }
    QString ServerPath() const;

  signals:
    // A second start asked this instance to restore and raise its window.
    void RaiseRequested();

  private:
    bool AskRunningToRaise();
    void OnNewConnection();

    QString m_name;
    QLocalServer m_server;
};

}  // namespace framewise
