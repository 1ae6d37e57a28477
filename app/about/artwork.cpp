#include "app/about/artwork.h"

#include <QFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

namespace artwork {

namespace {

const QColor kInk(0x1B, 0x3A, 0x44);
const QColor kTeal(0x24, 0x5B, 0x68);
const QColor kPale(0xE3, 0xF0, 0xF2);
const QColor kAmber(0xF0, 0xA0, 0x30);

qreal ratio()
{
    return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
}

QPixmap blank(QSize size)
{
    const qreal dpr = ratio();
    QPixmap pm(size * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    return pm;
}

// A logger with a small trace on its display, inside `box`.
void drawLogger(QPainter &p, const QRectF &box)
{
    const qreal w = box.width();
    p.setPen(QPen(kInk.darker(130), w * 0.03));
    p.setBrush(kPale);
    p.drawRoundedRect(box, w * 0.18, w * 0.18);
    const QRectF screen(box.left() + w * 0.12, box.top() + w * 0.15, w * 0.76, box.height() * 0.38);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRoundedRect(screen, w * 0.06, w * 0.06);
    QPainterPath trace;
    const qreal sx = screen.width() / 4, sy = screen.height();
    trace.moveTo(screen.left() + sx * 0.2, screen.top() + sy * 0.75);
    trace.lineTo(screen.left() + sx * 1.2, screen.top() + sy * 0.45);
    trace.lineTo(screen.left() + sx * 2.0, screen.top() + sy * 0.6);
    trace.lineTo(screen.left() + sx * 3.0, screen.top() + sy * 0.25);
    trace.lineTo(screen.left() + sx * 3.8, screen.top() + sy * 0.35);
    p.setPen(QPen(kAmber, w * 0.05, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(trace);
    p.setPen(Qt::NoPen);
    p.setBrush(kAmber);
    const qreal r = w * 0.08;
    p.drawEllipse(QPointF(box.left() + w * 0.28, box.bottom() - box.height() * 0.25), r, r);
}

QPixmap drawnSplash()
{
    QPixmap pm = blank(kSplashSize);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF all(QPointF(0, 0), QSizeF(kSplashSize));
    QLinearGradient bg(all.topLeft(), all.bottomRight());
    bg.setColorAt(0, QColor(0x2A, 0x67, 0x75));
    bg.setColorAt(1, QColor(0x15, 0x30, 0x3A));
    p.fillRect(all, bg);
    p.fillRect(QRectF(0, 294, 480, 6), kAmber);
    drawLogger(p, QRectF(46, 52, 134, 206));

    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(56);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QPointF(212, 104), QStringLiteral("BRIVAK"));
    p.fillRect(QRectF(214, 118, 72, 6), kAmber);
    return pm;
}

QPixmap drawnLogo()
{
    QPixmap pm = blank(kAboutLogoSize);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kTeal);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 11, 11);
    drawLogger(p, QRectF(16, 10, 32, 44));
    return pm;
}

} // namespace

QPixmap renderSvg(const QString &resource, QSize size)
{
    if (!QFile::exists(resource))
        return QPixmap();
    QSvgRenderer svg(resource);
    if (!svg.isValid())
        return QPixmap();
    QPixmap pm = blank(size);
    QPainter p(&pm);
    svg.render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
    return pm;
}

QPixmap splashPicture()
{
    QPixmap pm = renderSvg(kSplashResource, kSplashSize);
    return pm.isNull() ? drawnSplash() : pm;
}

QPixmap aboutLogo()
{
    QPixmap pm = renderSvg(kAboutLogoResource, kAboutLogoSize);
    return pm.isNull() ? drawnLogo() : pm;
}

} // namespace artwork
