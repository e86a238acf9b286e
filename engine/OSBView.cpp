#include "engine/OSBView.h"

namespace {

// One entry per colour of the image's table, as a logical palette holds them; none without a table.
std::optional<std::vector<PaletteEntry>> PaletteFromDib(const CDIB& dib) {
    const uint8_t* table = dib.GetColorTable();
    const int colours = dib.GetNumColors();
    if (dib.GetBitCount() != 8 || !table || colours <= 0) return std::nullopt;
    std::vector<PaletteEntry> palette(static_cast<size_t>(colours));
    for (int i = 0; i < colours; ++i) palette[i] = {table[4 * i + 2], table[4 * i + 1], table[4 * i], 0};
    return palette;
}

}  // namespace

COSBView::~COSBView() = default;

bool COSBView::CreateBuffer(const CDIB& background) {
    palette_ = PaletteFromDib(background);
    buffer_.reset();
    if (!background.HasImage()) return false;
    auto buffer = std::make_unique<CDIB>();
    // Composing fills it with the background first; only a buffer drawn before that is made black.
    if (!buffer->CreateBlackOnFirstUse(background.CDIB::GetWidth(), background.CDIB::GetHeight()))
        return false;
    buffer_ = std::move(buffer);
    return true;
}

void COSBView::Render(const std::optional<platform::Rect>&) {}

void COSBView::DrawBuffer(const std::optional<platform::Rect>& r) {
    if (!surface_) return;
    CopyBufferToSurface(r);
    // What is drawn over the buffer is drawn even where no buffer lies, as it is drawn on the window.
    DrawOverBuffer(*surface_, r);
}

void COSBView::CopyBufferToSurface(const std::optional<platform::Rect>& r) {
    if (!buffer_ || !buffer_->HasImage()) return;
    const platform::Rect clipBox = surface_->ClipBox();
    platform::Rect blit = r ? r->Intersect(clipBox) : clipBox;
    // The buffer as it lies on the surface: shifted by the scroll position, so the source never leaves it.
    const platform::Rect buffer{0, 0, buffer_->GetWidth(), buffer_->GetHeight()};
    blit = blit.Intersect(buffer.Offset(-scroll_.x, -scroll_.y));
    if (blit.IsEmpty()) return;
    surface_->StretchDib(buffer_->View(), blit, blit.Offset(scroll_.x, scroll_.y));
}

void COSBView::DrawOverBuffer(platform::DeviceContext&, const std::optional<platform::Rect>&) {}

void COSBView::OnUpdate() {
    Render(std::nullopt);
    DrawBuffer(std::nullopt);
}

void COSBView::OnDraw(const std::optional<platform::Rect>& r) {
    DrawBuffer(r);
}

void COSBView::OnInitialUpdate() {}

void COSBView::AddDirty(const platform::Rect& r) {
    if (!dirty_.empty() && r.Intersects(dirty_.front())) {
        dirty_.front() = dirty_.front().Union(r);
        return;
    }
    dirty_.push_front(r);
}

void COSBView::RenderAndDrawDirtyList() {
    const std::deque<platform::Rect> pending = dirty_;
    for (const platform::Rect& r : pending) Render(r);
    while (!dirty_.empty()) {
        platform::Rect r = dirty_.front();
        dirty_.pop_front();
        DrawBuffer(r);
    }
}
