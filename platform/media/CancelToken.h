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
    bool cancelled() const { return raised(flag_.get()); }

    // The shared flag itself, for the library's interrupt callback; valid
    // while any copy of the token lives.
    const std::atomic<bool>* flag() const { return flag_.get(); }
    // A token's flag, or every token at once (below), is raised.
    static bool raised(const std::atomic<bool>* flag) { return flag->load() || everyToken().load(); }

    // Cancels every token of the process, those made later too: the program
    // is ending, and no read of a file may keep it waiting. For good.
    static void cancelAll() { everyToken().store(true); }

private:
    static std::atomic<bool>& everyToken() {
        static std::atomic<bool> flag{false};
        return flag;
    }

    std::shared_ptr<std::atomic<bool>> flag_;
};

}  // namespace tavero::media
