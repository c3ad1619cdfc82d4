#include "app/state_icons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <initializer_list>

namespace {

constexpr std::initializer_list<int> kSmallSizes = {16, 20};
constexpr std::initializer_list<int> kNormalSizes = {24, 32, 48, 64, 128, 256};

// Adds the artwork at each of the sizes, read once.
void AddRendered(QIcon& icon, const QString& path, std::initializer_list<int> sizes) {
    QSvgRenderer renderer(path);
    for (int size : sizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        if (renderer.isValid()) {
            QPainter painter(&pixmap);
            renderer.render(&painter);
        }
        icon.addPixmap(pixmap);
    }
}

}  // namespace

StateIconPair PickStateIcons(bool recording, bool muted) {
    using namespace state_icon;
    if (recording) {
        return muted ? StateIconPair{kRecordingMutedNormal, kRecordingMutedSmall}
                     : StateIconPair{kRecordingNormal, kRecordingSmall};
    }
    return muted ? StateIconPair{kMutedNormal, kMutedSmall}
                 : StateIconPair{kIdleNormal, kIdleSmall};
}

QString StateIconPath(int id) {
    return QStringLiteral(":/icons/state_%1.svg").arg(id);
}

QIcon StateIcon(int id) {
    QIcon icon;
    AddRendered(icon, StateIconPath(id), kSmallSizes);
    AddRendered(icon, StateIconPath(id), kNormalSizes);
    return icon;
}

QIcon StateIconSet(const StateIconPair& pair) {
    QIcon icon;
    AddRendered(icon, StateIconPath(pair.small), kSmallSizes);
    AddRendered(icon, StateIconPath(pair.normal), kNormalSizes);
    return icon;
}

QString StateIconTip(int id) {
    using namespace state_icon;
    switch (id) {
        case kIdleNormal:
            return QStringLiteral("Plumora");
        case kMutedNormal:
            return QStringLiteral("Plumora - muted");
        case kRecordingNormal:
            return QStringLiteral("Plumora - recording");
        case kRecordingMutedNormal:
            return QStringLiteral("Plumora - recording, muted");
        default:
            return {};
    }
}
