#include "platform/DeviceContext.h"

namespace platform {

namespace {
class FakeScreenFactory : public ScreenContextFactory {
  public:
    std::unique_ptr<DeviceContext> CreateScreenContext() override {
        return std::make_unique<FakeDeviceContext>();
    }
};
FakeScreenFactory fakeFactory;
ScreenContextFactory* current = nullptr;
}  // namespace

ScreenContextFactory& ScreenContexts() {
    return current ? *current : fakeFactory;
}
void SetScreenContextFactory(ScreenContextFactory* factory) {
    current = factory;
}

}  // namespace platform
