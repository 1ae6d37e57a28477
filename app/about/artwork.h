#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// Pictures of the splash and the About box. The artwork in the program's resources is used when
// it is there; otherwise a plain picture is drawn, so the windows never show an empty hole.
namespace artwork {

inline const QString kSplashResource = QStringLiteral(":/icons/splash.svg");
inline const QString kAboutLogoResource = QStringLiteral(":/icons/about_logo.svg");
inline constexpr QSize kSplashSize{480, 300};
inline constexpr QSize kAboutLogoSize{64, 64};

// The splash picture. Its lower-right band (x 210-470, y 248-292) is dark and free for the
// product name and version drawn over it.
QPixmap splashPicture();
QPixmap aboutLogo();

// An SVG resource rendered at `size` (device-independent pixels); a null pixmap when the
// resource is missing or unreadable.
QPixmap renderSvg(const QString &resource, QSize size);

} // namespace artwork
