#include "install/forms.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

Form2::Form2(QString folder, LaunchSequence::Hooks hooks, QWidget *parent)
    : QWidget(parent), m_folder(std::move(folder)), m_hooks(std::move(hooks))
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Form2"));

    Cusb = new QCheckBox(QStringLiteral("USB Cable"), this);
    Cusb->setObjectName(QStringLiteral("Cusb"));
    Cqtrn = new QCheckBox(QStringLiteral("QTRN 2.1.0"), this);
    Cqtrn->setObjectName(QStringLiteral("Cqtrn"));
    Command1 = new QPushButton(QStringLiteral("Install"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    QFont buttonFont(QStringLiteral("Times New Roman"));
    buttonFont.setPointSize(12);
    Command1->setFont(buttonFont);
    Command1->setMinimumSize(110, 34);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);

    auto *boxes = new QVBoxLayout;
    boxes->setSpacing(14);
    boxes->addWidget(Cusb);
    boxes->addWidget(Cqtrn);

    auto *row = new QHBoxLayout;
    row->addLayout(boxes);
    row->addSpacing(32);
    row->addWidget(Command1, 0, Qt::AlignVCenter);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 24, 28, 24);
    layout->addLayout(row);
    setFixedSize(sizeHint().expandedTo(QSize(320, 130)));

    setTabOrder(Cusb, Command1);
    setTabOrder(Command1, Cqtrn);
}

void Form2::Command1_Click()
{
    // The pause inside the sequence delivers pending events, a second click among them.
    if (m_launching)
        return;
    m_launching = true;
    Command1->setEnabled(false);
    LaunchSequence(m_folder, m_hooks).run(Cusb->isChecked(), Cqtrn->isChecked());
    Q_EMIT endProgram();
}

void Form2::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    Q_EMIT endProgram();
}

Form1::Form1(QString folder, LaunchSequence::Hooks hooks, QWidget *parent)
    : QWidget(parent), m_folder(std::move(folder)), m_hooks(std::move(hooks))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(LaunchSequence::kProgramTitle);

    Command1 = new QPushButton(QStringLiteral("INSTALL"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    QFont buttonFont(QStringLiteral("Comic Sans MS"));
    buttonFont.setPointSize(16);
    buttonFont.setBold(true);
    Command1->setFont(buttonFont);
    Command1->setMinimumSize(180, 60);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(48, 40, 48, 40);
    layout->addWidget(Command1, 0, Qt::AlignCenter);
    setFixedSize(sizeHint());
}

Form1::~Form1() = default;

void Form1::Command1_Click()
{
    if (!m_form2) {
        m_form2 = std::make_unique<Form2>(m_folder, m_hooks);
        connect(m_form2.get(), &Form2::endProgram, this, &Form1::endProgram);
    }
    m_form2->show();
    hide();
}
