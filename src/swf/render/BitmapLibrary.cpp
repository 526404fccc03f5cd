// Eviction scans the cached entries for the oldest; a movie holds at most a few hundred
// bitmaps and a bitmap is evicted only when another is decoded, so a scan costs nothing
// beside the decoding it makes room for.
#include "swf/render/BitmapLibrary.h"

#include "swf/render/BitmapDecoder.h"

namespace saver::swf {

BitmapLibrary::BitmapLibrary(const Movie& movie, std::size_t budgetBytes)
    : movie_(movie), budget_(budgetBytes) {}

BitmapLibrary::~BitmapLibrary() = default;

std::shared_ptr<const DecodedBitmap> BitmapLibrary::find(std::uint32_t id) const {
    if (id >= kFirstSurfaceId) {
        const std::shared_ptr<BitmapSurface> s = surface(id);
        return s ? s->pixels() : nullptr;
    }
    if (auto it = entries_.find(id); it != entries_.end()) {
        it->second.lastUse = ++clock_;
        return it->second.bitmap;
    }
    const auto def = movie_.dictionary.find(static_cast<std::uint16_t>(id));
    if (def == movie_.dictionary.end()) return nullptr;
    const auto* character = std::get_if<BitmapCharacter>(&def->second);
    if (character == nullptr) return nullptr;

    Entry entry;
    entry.lastUse = ++clock_;
    std::optional<DecodedBitmap> decoded =
        BitmapDecoder::decode(*character, movie_.jpegTables, budget_);
    if (decoded) {
        makeRoom(decoded->bytes());
        used_ += decoded->bytes();
        entry.bitmap = std::make_shared<const DecodedBitmap>(std::move(*decoded));
    }
    return entries_.emplace(id, std::move(entry)).first->second.bitmap;
}

std::shared_ptr<BitmapSurface> BitmapLibrary::makeSurface(int width, int height, bool transparent,
                                                          std::uint32_t argb) {
    if (width < 1 || height < 1 || width > kMaxBitmapSide || height > kMaxBitmapSide)
        return nullptr;
    const std::size_t bytes =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    if (*surfaceBytes_ + bytes > budget_) return nullptr;
    makeRoom(bytes);
    *surfaceBytes_ += bytes;
    std::erase_if(surfaces_, [](const auto& entry) { return entry.second.expired(); });
    const std::uint32_t id = nextSurfaceId_++;
    if (nextSurfaceId_ == 0) nextSurfaceId_ = kFirstSurfaceId;
    auto s = std::make_shared<BitmapSurface>(
        width, height, transparent, argb, id,
        [ledger = surfaceBytes_](std::size_t freed) { *ledger -= std::min(*ledger, freed); });
    surfaces_[id] = s;
    return s;
}

std::shared_ptr<BitmapSurface> BitmapLibrary::surface(std::uint32_t id) const {
    const auto it = surfaces_.find(id);
    return it == surfaces_.end() ? nullptr : it->second.lock();
}

// Half the budget leaves room for the bitmaps a long movie decodes later without evicting
// those decoded here at once.
void BitmapLibrary::decodeAhead() {
    for (const auto& [id, character] : movie_.dictionary) {
        if (used_ >= budget_ / 2) return;
        if (std::holds_alternative<BitmapCharacter>(character)) find(id);
    }
}

// Drops the least recently used bitmaps until `bytes` more fit the budget beside the
// surfaces. Failed entries cost nothing and stay, so a damaged image is not decoded again.
void BitmapLibrary::makeRoom(std::size_t bytes) const {
    while (used_ + *surfaceBytes_ + bytes > budget_) {
        auto oldest = entries_.end();
        for (auto it = entries_.begin(); it != entries_.end(); ++it)
            if (it->second.bitmap &&
                (oldest == entries_.end() || it->second.lastUse < oldest->second.lastUse))
                oldest = it;
        if (oldest == entries_.end()) return;
        used_ -= oldest->second.bitmap->bytes();
        entries_.erase(oldest);
    }
}

}  // namespace saver::swf
