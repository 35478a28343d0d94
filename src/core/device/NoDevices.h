#pragma once
// Stands in when no transport could be built: polling simply never finds anything.

#include "core/device/HidTransport.h"

namespace tarvik::core {

class NoDevices final : public HidTransport {
public:
    std::vector<HidInterfaceInfo> enumerate() override { return {}; }
    std::unique_ptr<HidHandle> open(const std::string&, HidOpenError* error) override {
        if (error) {
            *error = HidOpenError::NotFound;
        }
        return nullptr;
    }
};

} // namespace tarvik::core
