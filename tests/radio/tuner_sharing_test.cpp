#include <gtest/gtest.h>

#include <QThread>
#include <mutex>
#include <vector>

#include "platform/local_messaging.h"
#include "platform/window_messages.h"
#include "radio/radio_models.h"
#include "radio/tuner_sharing.h"

namespace {

// The TV application as far as the program sees it: a local server under its
// name that answers every message with a fixed reply. It runs its own event
// loop on a thread of its own, since the question blocks the asking thread.
class FakeTvApplication {
  public:
    explicit FakeTvApplication(qint32 reply, unsigned long answerDelayMs = 0) {
        thread_.start();
        context_.moveToThread(&thread_);
        QMetaObject::invokeMethod(
            &context_,
            [this, reply, answerDelayMs] {
                server_ = new LocalMessageServer(
                    kTvApplicationServer, [this, reply, answerDelayMs](const LocalMessage& m) {
                        {
                            std::lock_guard lock(mutex_);
                            received_.push_back(m);
                        }
                        QThread::msleep(answerDelayMs);
                        return reply;
                    });
                listening_ = server_->Listen();
            },
            Qt::BlockingQueuedConnection);
    }

    ~FakeTvApplication() {
        QThread* owner = QThread::currentThread();
        QMetaObject::invokeMethod(
            &context_,
            [this, owner] {
                delete server_;
                context_.moveToThread(owner);
            },
            Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }

    bool listening() const { return listening_; }
    std::vector<LocalMessage> received() {
        std::lock_guard lock(mutex_);
        return received_;
    }

  private:
    QThread thread_;
    QObject context_;
    LocalMessageServer* server_ = nullptr;
    bool listening_ = false;
    std::mutex mutex_;
    std::vector<LocalMessage> received_;
};

TEST(TunerSharingTest, QueryGroupsPerModel) {
    const std::pair<int, int> expected[] = {{5, 2},  {8, 1},  {11, 1}, {12, 3}, {13, 3},
                                            {15, 4}, {19, 4}, {18, 5}, {0, 0},  {6, 0},
                                            {22, 0}, {23, 0}, {-1, 0}, {26, 0}};
    for (const auto& [model, group] : expected) {
        EXPECT_EQ(TunerQueryGroup(model), group) << "model " << model;
    }
}

TEST(TunerSharingTest, RequestsConcernTheModelsOfTheirGroup) {
    EXPECT_TRUE(TunerRequestConcerns(1, 8));
    EXPECT_TRUE(TunerRequestConcerns(1, 11));
    EXPECT_TRUE(TunerRequestConcerns(3, 13));
    // Model 11 asks as group 1 but also yields to group 4.
    EXPECT_TRUE(TunerRequestConcerns(4, 11));
    EXPECT_FALSE(TunerRequestConcerns(2, 11));
    for (int group : {0, 6, -1, 1171}) {
        for (int model : {5, 8, 11, 12, 13, 15, 18, 19}) {
            EXPECT_FALSE(TunerRequestConcerns(group, model)) << group << "/" << model;
        }
    }
}

TEST(TunerSharingTest, RulesAgreeWithTheModelTable) {
    for (const RadioModel& model : RadioModels()) {
        int lowest = 0;
        for (int group = 1; group <= 5; ++group) {
            EXPECT_EQ(TunerRequestConcerns(group, model.id), model.InSharingGroup(group))
                << model.name << " group " << group;
            if (lowest == 0 && model.InSharingGroup(group)) {
                lowest = group;
            }
        }
        EXPECT_EQ(TunerQueryGroup(model.id), lowest) << model.name;
    }
}

TEST(TunerSharingTest, AnswerRefusesWhileRecordingAndOtherwiseMutesASoundingRadio) {
    int toggles = 0;
    const auto toggle = [&toggles] { ++toggles; };

    EXPECT_EQ(AnswerTunerRequest(4, 19, true, false, toggle), kTunerRefused);
    EXPECT_EQ(toggles, 0);

    EXPECT_EQ(AnswerTunerRequest(4, 19, false, false, toggle), 0);
    EXPECT_EQ(toggles, 1);

    EXPECT_EQ(AnswerTunerRequest(4, 19, false, true, toggle), 0);
    EXPECT_EQ(toggles, 1);

    // Not our tuner: granted without touching the radio, even while recording.
    EXPECT_EQ(AnswerTunerRequest(2, 19, true, false, toggle), 0);
    EXPECT_EQ(AnswerTunerRequest(5, 4, false, false, toggle), 0);
    EXPECT_EQ(toggles, 1);

    EXPECT_EQ(AnswerTunerRequest(4, 11, false, false, {}), 0);
}

TEST(TunerSharingTest, AllowedWhenTheTvApplicationIsNotRunning) {
    EXPECT_FALSE(LocalServerExists(kTvApplicationServer));
    EXPECT_TRUE(AskTunerAllowed(19, 500));
}

TEST(TunerSharingTest, AsksWithTheModelsGroupAndGoesAheadUnlessRefused) {
    FakeTvApplication tv(1);  // any answer but a refusal
    ASSERT_TRUE(tv.listening());
    EXPECT_TRUE(AskTunerAllowed(11));
    EXPECT_TRUE(AskTunerAllowed(18));
    const auto received = tv.received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].msg, WM_TUNER_ARBITRATION);
    EXPECT_EQ(received[0].wParam, 1u);
    EXPECT_EQ(received[0].lParam, kTunerQueryLParam);
    EXPECT_EQ(received[1].wParam, 5u);
}

TEST(TunerSharingTest, RefusedWhenTheTvApplicationKeepsTheTuner) {
    FakeTvApplication tv(kTunerRefused);
    ASSERT_TRUE(tv.listening());
    EXPECT_FALSE(AskTunerAllowed(5));
    EXPECT_FALSE(AskTunerAllowed(13));
    // A model that shares no tuner does not ask at all.
    EXPECT_TRUE(AskTunerAllowed(0));
    EXPECT_TRUE(AskTunerAllowed(kNoRadioModel));
    EXPECT_EQ(tv.received().size(), 2u);
}

TEST(TunerSharingTest, ATvApplicationThatDoesNotAnswerInTimeDoesNotBlockTheRadio) {
    FakeTvApplication tv(kTunerRefused, 600);
    ASSERT_TRUE(tv.listening());
    EXPECT_TRUE(AskTunerAllowed(12, 100));
}

}  // namespace
