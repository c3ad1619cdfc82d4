#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

// Sharing the tuner with the companion TV application, which listens under
// the local server name below. Before the radio sounds or a recording starts
// the program asks for the tuner; the TV application may in turn ask the
// program to let go of it.

inline const QString kTvApplicationServer = QStringLiteral("Vistaleo");
// How long the question may block before the tuner is taken anyway.
constexpr int kTunerQueryTimeoutMs = 2000;

// The group the program asks about for a model; 0 when the model shares no
// tuner with the TV application.
int TunerQueryGroup(int modelId);

// Whether a request of the TV application for a group (1 to 5) concerns the
// configured model.
bool TunerRequestConcerns(int group, int modelId);

// Asks the TV application for the tuner. Allowed when the model needs no
// question, when the TV application is not running or does not answer, and
// unless it answers that it keeps the tuner.
bool AskTunerAllowed(int modelId, int timeoutMs = kTunerQueryTimeoutMs);

// The answer to a request of the TV application: kTunerRefused while a
// recording starts or runs; otherwise 0, after muting the radio through
// muteToggle when it is sounding. Requests that do not concern the model
// are answered 0 and change nothing.
qint32 AnswerTunerRequest(int group, int modelId, bool recordingNow, bool radioMuted,
                          const std::function<void()>& muteToggle);
