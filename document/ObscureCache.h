#pragma once

#include <QHash>
#include <QImage>
#include <QRect>

#include <list>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace tavero {

// Whether a cover was made of blocks or of a blur.
enum class ObscureKind { pixel, blur };

// What one filtered cover was computed from.
struct ObscureKey {
    // QImage::cacheKey() of the base: never the key of another image's pixels.
    qint64 base = 0;
    QRect region;
    ObscureKind kind = ObscureKind::pixel;
    double amount = 0;

    friend bool operator==(const ObscureKey&, const ObscureKey&) = default;
};

size_t qHash(const ObscureKey& key, size_t seed = 0) noexcept;

// Filtered covers, so the canvas can redraw every mark on each change without
// filtering again. Holds at most `countLimit` entries and `costLimit` bytes,
// dropping the least recently used first. Each entry keeps its base image
// alive; a base shared by several entries is counted once, at four bytes a
// pixel, as are the outputs. Safe to use from any thread.
class ObscureCache {
public:
    static constexpr int countLimit = 16;
    static constexpr qint64 costLimit = 96LL * 1024 * 1024;

    // The one cache of the process, created on first use.
    static ObscureCache& shared();

    // The output stored under `key`, most recently used from now on.
    std::optional<QImage> find(const ObscureKey& key);
    void insert(const ObscureKey& key, const QImage& base, const QImage& output);

    struct Usage {
        int count = 0;
        qint64 cost = 0;
        qint64 hits = 0;
        qint64 misses = 0;
    };
    Usage usage() const;

private:
    struct Entry {
        ObscureKey key;
        QImage base;
        QImage output;
    };
    struct BaseUse {
        int entries = 0;
        qint64 cost = 0;
    };

    void evictBeyondLimits();
    void remove(std::list<Entry>::iterator entry);

    mutable std::mutex mutex_;
    std::list<Entry> entries_;  // most recently used first
    QHash<ObscureKey, std::list<Entry>::iterator> index_;
    std::unordered_map<qint64, BaseUse> bases_;
    qint64 cost_ = 0;
    qint64 hits_ = 0;
    qint64 misses_ = 0;
};

}  // namespace tavero
