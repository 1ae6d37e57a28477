#include "app/about/frm_about.h"

#include "app/about/artwork.h"
#include "app/about/maker_info.h"
#include "common/app_info.h"
#include "common/messages.h"
#include "common/prompter.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

frmAbout::frmAbout(Prompter &prompter, QWidget *parent) : QDialog(parent), m_prompter(prompter)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("About ") + appinfo::title());

    imgLogo = new QLabel(this);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(artwork::aboutLogo());
    imgLogo->setFixedSize(artwork::kAboutLogoSize);
    imgLogo->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    lblTitle = new QLabel(appinfo::title(), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    lblVersion = new QLabel(QStringLiteral("Version %1.%2.%3")
                                .arg(appinfo::kMajor)
                                .arg(appinfo::kMinor)
                                .arg(appinfo::kRevision),
                            this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    lblDescription =
        new QLabel(QStringLiteral("Temperature, Relative Humidity and Voltage Data Logger"), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);

    auto *rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    lblDisclaimer = new QLabel(maker::kContact, this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setForegroundRole(QPalette::PlaceholderText);
    lblDisclaimer->setTextInteractionFlags(Qt::TextSelectableByMouse);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    for (QPushButton *b : {cmdOK, cmdSysInfo})
        b->setMinimumWidth(120);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::close);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(6);
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addSpacing(6);
    texts->addWidget(lblDescription);
    texts->addStretch();

    auto *buttons = new QVBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(16, 16, 16, 16);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(12);
    grid->addWidget(imgLogo, 0, 0, Qt::AlignTop);
    grid->addLayout(texts, 0, 1, 1, 2);
    grid->addWidget(rule, 1, 0, 1, 3);
    grid->addWidget(lblDisclaimer, 2, 0, 1, 2, Qt::AlignBottom | Qt::AlignLeft);
    grid->addLayout(buttons, 2, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(2, 120);
    setFixedSize(sizeHint());
}

void frmAbout::StartSysInfo()
{
    const QString program = sysinfo::locate(m_tools);
    if (!program.isEmpty() && m_tools.start(program))
        return;
    m_prompter.message(msg::kSysInfoUnavailable, appinfo::title(), Prompter::Icon::None);
}
