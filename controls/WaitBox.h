// The small modeless box that says work is going on: the application icon and a line of text
// ("Please wait…", or the progress of the work). A widget like any other, so it is made,
// changed and destroyed on the GUI thread only; a worker drives it through WaitBoxDriver.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class QLabel;

namespace framewise {

class WaitBox : public QDialog {
    Q_OBJECT

  public:
    // Centred on parent's window when it has one, on the screen otherwise.
    explicit WaitBox(QWidget* parent = nullptr);

    QString Text() const;

  public slots:
    // Replaces the line of text (object name "1071").
    void SetText(const QString& text);

    // Escape does not close it: the work it reports on ends it.
    void reject() override {}

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* m_pText;
};

// Shows, updates and closes one WaitBox for a worker thread. Each call may come from any
// thread; it is carried out on the thread the driver lives on (the GUI thread) in the order
// the calls were made, at once when made there. The driver must outlive every thread that
// calls it; calls still queued when it is destroyed are dropped, and so is its box.
class WaitBoxDriver : public QObject {
    Q_OBJECT

  public:
    // window: what the box is centred on (may be null); it also owns the driver when given.
    explicit WaitBoxDriver(QWidget* window);
    ~WaitBoxDriver() override;

    // Makes the box (with its first text) unless it is already shown, and shows it.
    void Show();
    void SetText(const QString& text);
    // Destroys the box.
    void Close();

    // The box while one is shown, else null. GUI thread only.
    WaitBox* Box() const { return m_box; }

  private:
    QPointer<QWidget> m_window;
    QPointer<WaitBox> m_box;
};

}  // namespace framewise
