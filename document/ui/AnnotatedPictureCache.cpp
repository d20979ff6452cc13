#include "document/ui/AnnotatedPictureCache.h"

namespace tavero {

const QImage* AnnotatedPictureCache::find(const Key& key) const {
    return !picture_.isNull() && key == key_ ? &picture_ : nullptr;
}

const QImage& AnnotatedPictureCache::store(Key key, QImage picture) {
    key_ = std::move(key);
    picture_ = std::move(picture);
    return picture_;
}

}  // namespace tavero
