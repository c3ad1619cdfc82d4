#include "app/state_icons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace {

constexpr int kSmallSizes[] = {16, 20};
constexpr int kNormalSizes[] = {24, 32, 48, 64, 128, 256};

QPixmap Render(const QString& path, int size) {
    QSvgRenderer renderer(path);
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        renderer.render(&painter);
    }
    return pixmap;
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
    for (int size : kSmallSizes) {
        icon.addPixmap(Render(StateIconPath(id), size));
    }
    for (int size : kNormalSizes) {
        icon.addPixmap(Render(StateIconPath(id), size));
    }
    return icon;
}

QIcon StateIconSet(const StateIconPair& pair) {
    QIcon icon;
    for (int size : kSmallSizes) {
        icon.addPixmap(Render(StateIconPath(pair.small), size));
    }
    for (int size : kNormalSizes) {
        icon.addPixmap(Render(StateIconPath(pair.normal), size));
    }
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
