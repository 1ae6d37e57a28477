#pragma once

#include "archive/signature.h"

#include <QByteArray>
#include <QDialog>

#include <optional>

class QComboBox;
class QLineEdit;

namespace archive {

// What the signer answered: the meaning and their password (for one check; the taker wipes it).
struct SignAnswer
{
    Meaning meaning = Meaning::Reviewed;
    QByteArray password;
};

// Asks the signer for a signature's meaning and their password. The window's asks with the
// dialog below; a test answers from a script.
class SignAsker
{
public:
    virtual ~SignAsker() = default;
    // nullopt: cancelled. `name` is the printed name, shown and not editable.
    virtual std::optional<SignAnswer> ask(const QString &name, QWidget *parent) = 0;
};

class DialogSignAsker final : public SignAsker
{
public:
    std::optional<SignAnswer> ask(const QString &name, QWidget *parent) override;
};

// "Sign": the meaning (Reviewed or Approved), the signer's printed name (read-only) and the
// password, never echoed.
class SignDialog : public QDialog
{
    Q_OBJECT
public:
    SignDialog(const QString &name, QWidget *parent = nullptr);
    ~SignDialog() override;

    // The answer once accepted; the password field is emptied by taking it.
    SignAnswer take();

    QComboBox *meaningBox() const { return m_meaning; }
    QLineEdit *passwordEdit() const { return m_password; }

private:
    QComboBox *m_meaning = nullptr;
    QLineEdit *m_password = nullptr;
};

} // namespace archive
