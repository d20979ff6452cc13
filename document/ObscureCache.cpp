#include "document/ObscureCache.h"

namespace tavero {

namespace {
qint64 pixelBytes(const QImage& image) { return 4 * qint64(image.width()) * image.height(); }
}  // namespace

size_t qHash(const ObscureKey& key, size_t seed) noexcept {
    return qHashMulti(seed, key.base, key.region.x(), key.region.y(), key.region.width(), key.region.height(),
                      int(key.kind), key.amount);
}

ObscureCache& ObscureCache::shared() {
    static ObscureCache cache;
    return cache;
}

std::optional<QImage> ObscureCache::find(const ObscureKey& key) {
    std::lock_guard lock(mutex_);
    const auto found = index_.constFind(key);
    if (found == index_.constEnd()) {
        ++misses_;
        return std::nullopt;
    }
    ++hits_;
    entries_.splice(entries_.begin(), entries_, *found);
    return entries_.front().output;
}

void ObscureCache::insert(const ObscureKey& key, const QImage& base, const QImage& output) {
    std::lock_guard lock(mutex_);
    if (const auto existing = index_.constFind(key); existing != index_.constEnd()) remove(*existing);

    entries_.push_front({key, base, output});
    index_.insert(key, entries_.begin());
    cost_ += pixelBytes(output);
    BaseUse& use = bases_[key.base];
    if (use.entries++ == 0) {
        use.cost = pixelBytes(base);
        cost_ += use.cost;
    }
    evictBeyondLimits();
}

ObscureCache::Usage ObscureCache::usage() const {
    std::lock_guard lock(mutex_);
    return {int(entries_.size()), cost_, hits_, misses_};
}

void ObscureCache::evictBeyondLimits() {
    while (!entries_.empty() && (int(entries_.size()) > countLimit || cost_ > costLimit))
        remove(std::prev(entries_.end()));
}

void ObscureCache::remove(std::list<Entry>::iterator entry) {
    cost_ -= pixelBytes(entry->output);
    const auto use = bases_.find(entry->key.base);
    if (--use->second.entries == 0) {
        cost_ -= use->second.cost;
        bases_.erase(use);
    }
    index_.remove(entry->key);
    entries_.erase(entry);
}

}  // namespace tavero
