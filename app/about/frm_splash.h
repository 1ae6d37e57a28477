#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QTimer;

// The first window of the program: product name and version, handing over to the main window
// after five seconds, or at once on a key press or a click.
class frmSplash : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 5000;

    explicit frmSplash(QWidget *parent = nullptr);

    QFrame *Frame1 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblProductName = nullptr;
    QTimer *Timer1 = nullptr; // single shot, running from construction

    bool handedOver() const { return m_handedOver; }

Q_SIGNALS:
    // Emitted once, whichever of key, click or timer comes first: show the main window now.
    // The splash is hidden just before and closed just after the signal, so the program is
    // never left without a visible window (which would end it).
    void handOver();

public Q_SLOTS:
    void Timer1_Timer();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void finish();

    bool m_handedOver = false;
};
