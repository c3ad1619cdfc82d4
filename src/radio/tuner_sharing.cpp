#include "radio/tuner_sharing.h"

#include "platform/local_messaging.h"
#include "platform/window_messages.h"

int TunerQueryGroup(int modelId) {
    switch (modelId) {
        case 5:
            return 2;
        case 8:
        case 11:
            return 1;
        case 12:
        case 13:
            return 3;
        case 15:
        case 19:
            return 4;
        case 18:
            return 5;
        default:
            return 0;
    }
}

bool TunerRequestConcerns(int group, int modelId) {
    switch (group) {
        case 1:
            return modelId == 8 || modelId == 11;
        case 2:
            return modelId == 5;
        case 3:
            return modelId == 12 || modelId == 13;
        case 4:
            return modelId == 15 || modelId == 19 || modelId == 11;
        case 5:
            return modelId == 18;
        default:
            return false;
    }
}

bool AskTunerAllowed(int modelId, int timeoutMs) {
    const int group = TunerQueryGroup(modelId);
    if (group == 0) {
        return true;
    }
    LocalMessage query;
    query.msg = WM_TUNER_ARBITRATION;
    query.wParam = static_cast<quint32>(group);
    query.lParam = kTunerQueryLParam;
    const auto reply = SendLocalMessage(kTvApplicationServer, query, timeoutMs);
    return !reply || *reply != kTunerRefused;
}

qint32 AnswerTunerRequest(int group, int modelId, bool recordingNow, bool radioMuted,
                          const std::function<void()>& muteToggle) {
    if (!TunerRequestConcerns(group, modelId)) {
        return 0;
    }
    if (recordingNow) {
        return kTunerRefused;
    }
    if (!radioMuted && muteToggle) {
        muteToggle();
    }
    return 0;
}
