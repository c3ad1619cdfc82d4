#pragma once

#include <QList>
#include <QUrl>

#include "controls/url_opener.h"

// Replaces the URL opener while alive: records every URL and answers with a
// chosen result.
class UrlRecorder {
  public:
    explicit UrlRecorder(bool answer = true)
        : previous_(SetUrlOpener([this](const QUrl& url) {
              urls.append(url);
              return answer_;
          })),
          answer_(answer) {}
    ~UrlRecorder() { SetUrlOpener(previous_); }
    UrlRecorder(const UrlRecorder&) = delete;
    UrlRecorder& operator=(const UrlRecorder&) = delete;

    QList<QUrl> urls;

  private:
    UrlOpener previous_;
    bool answer_;
};
