#pragma once

#include <QDialog>
#include <QString>
#include <optional>

class QLineEdit;
class QSpinBox;
class QLabel;

// The "PortString" of a network receiver at host and port: "rtl_tcp:host:port".
// Nothing for an empty host or one with spaces or slashes in it.
std::optional<QString> NetworkReceiverPort(const QString& host, int port);

// Asks for the host and port of an rtl_tcp server.
class TNetworkReceiverDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TNetworkReceiverDialog(QWidget* parent = nullptr);

    // The chosen receiver once the dialog was accepted.
    QString portString() const { return portString_; }
    void accept() override;

  private:
    QLineEdit* host_;
    QSpinBox* port_;
    QLabel* problem_;
    QString portString_;
};
