#pragma once

#include <memory>
#include <string>

#include "platform/sdr_device.h"

// Opens a local receiver through SoapySDR with its device arguments
// ("driver=rtlsdr,serial=..."): complex float samples from channel 0, the
// tuner's automatic gain where it has one. Null with the reason in error.
std::unique_ptr<SdrDevice> OpenSoapyDevice(const std::string& args, std::string& error);
