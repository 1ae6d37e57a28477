#pragma once

#include <QByteArray>
#include <QString>

// The SHA-256 of some bytes as 64 lowercase hex digits, the form records print and compare.
QString sha256Hex(const QByteArray &bytes);
