#include "radio/network_receiver_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/sdr_device.h"

std::optional<QString> NetworkReceiverPort(const QString& host, int port) {
    const QString name = host.trimmed();
    if (name.isEmpty() || port < 1 || port > 65535 || name.contains(QLatin1Char(' ')) ||
        name.contains(QLatin1Char('/'))) {
        return std::nullopt;
    }
    return QString::fromStdString(
        RtlTcpPortString(name.toStdString(), static_cast<uint16_t>(port)));
}

TNetworkReceiverDialog::TNetworkReceiverDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Network receiver"));
    host_ = new QLineEdit(this);
    host_->setObjectName(QStringLiteral("host"));
    host_->setPlaceholderText(QStringLiteral("raspberrypi.local"));
    port_ = new QSpinBox(this);
    port_->setObjectName(QStringLiteral("port"));
    port_->setRange(1, 65535);
    port_->setValue(kRtlTcpDefaultPort);
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("problem"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TNetworkReceiverDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TNetworkReceiverDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Host name or address of the rtl_tcp server:"), host_);
    form->addRow(QStringLiteral("P&ort:"), port_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(problem_);
    layout->addWidget(buttons);
}

void TNetworkReceiverDialog::accept() {
    const std::optional<QString> port = NetworkReceiverPort(host_->text(), port_->value());
    if (!port) {
        problem_->setText(QStringLiteral("Please enter the host name or address of the server."));
        host_->setFocus();
        return;
    }
    portString_ = *port;
    QDialog::accept();
}
