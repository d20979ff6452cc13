#pragma once

#include <atomic>
#include <memory>

namespace tavero::media {

// Lets a waiting owner abandon media work running on another thread: a
// blocked read returns as soon as the library next checks, and the work ends
// with a MediaError whose abandoned() is true. Copies share one flag; any
// thread may cancel.
class CancelToken {
public:
    CancelToken() : flag_(std::make_shared<std::atomic<bool>>(false)) {}

    void cancel() const { flag_->store(true); }
    bool cancelled() const { return flag_->load(); }

    // The shared flag itself, for the library's interrupt callback; valid
    // while any copy of the token lives.
    const std::atomic<bool>* flag() const { return flag_.get(); }

private:
    std::shared_ptr<std::atomic<bool>> flag_;
};

}  // namespace tavero::media
