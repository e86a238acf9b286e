#include "platform/qt/QtDeviceContext.h"
#include "ui/Services.h"

namespace ui {

// Apart from the rest of the start-up, so that fcatool, which needs only this, links no sound or video.
TextMeasuring::TextMeasuring()
    : factory_(std::make_unique<platform::QtScreenContextFactory>()), installed_(*factory_) {}

TextMeasuring::~TextMeasuring() = default;

}  // namespace ui
