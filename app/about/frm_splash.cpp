#include "app/about/frm_splash.h"

#include "app/about/artwork.h"
#include "app/about/maker_info.h"
#include "common/app_info.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(appinfo::title());
    setFocusPolicy(Qt::StrongFocus);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setStyleSheet(QStringLiteral(
        "#Frame1 { background: #15303A; border: 1px solid #0F262D; }"
        "#Label1 { color: #A9D0D8; }"
        "#lblProductName, #lblVersion { color: white; background: transparent; }"));

    Image1 = new QLabel(Frame1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(artwork::splashPicture());
    Image1->setFixedSize(artwork::kSplashSize);

    // Name and version sit in the picture's dark band at the lower right.
    lblProductName = new QLabel(appinfo::title(), Image1);
    lblProductName->setObjectName(QStringLiteral("lblProductName"));
    QFont nameFont = lblProductName->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.35);
    nameFont.setBold(true);
    lblProductName->setFont(nameFont);
    lblProductName->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblProductName->setGeometry(210, 246, 260, 26);

    lblVersion = new QLabel(QStringLiteral("(QTRN) Version %1.%2.%3")
                                .arg(appinfo::kMajor)
                                .arg(appinfo::kMinor)
                                .arg(appinfo::kRevision),
                            Image1);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblVersion->setGeometry(210, 272, 260, 20);

    Label1 = new QLabel(maker::kContact, Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);

    auto *inner = new QVBoxLayout(Frame1);
    inner->setContentsMargins(1, 1, 1, 8);
    inner->setSpacing(8);
    inner->addWidget(Image1);
    inner->addWidget(Label1);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(Frame1);
    setFixedSize(sizeHint());

    // Clicks on the picture and the labels reach Frame1 as well: labels pass them on.
    Frame1->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(kTimeoutMs);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    Timer1->start();
}

void frmSplash::Timer1_Timer()
{
    finish();
}

void frmSplash::keyPressEvent(QKeyEvent *event)
{
    event->accept();
    finish();
}

void frmSplash::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Without the keyboard focus a key press would never reach the splash.
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
}

bool frmSplash::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Frame1 && event->type() == QEvent::MouseButtonPress) {
        finish();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmSplash::finish()
{
    if (m_handedOver)
        return;
    m_handedOver = true;
    Timer1->stop();
    hide();
    Q_EMIT handOver();
    close();
}
