#include "engine/HandOver.h"

namespace kelmora {

void HandOver::SetWake(std::function<void()> wake) {
    std::lock_guard lock(mutex_);
    wake_ = std::move(wake);
}

bool HandOver::Call(Work work) {
    auto item = std::make_shared<Item>();
    item->work = std::move(work);
    std::function<void()> wake;
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(item);
        wake = wake_;
    }
    if (wake) {
        wake();
    }
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return item->done; });
    if (item->error) {
        std::rethrow_exception(item->error);
    }
    return item->ran;
}

int HandOver::RunPending() {
    int count = 0;
    for (;;) {
        std::shared_ptr<Item> item;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) {
                return count;
            }
            item = queue_.front();
            queue_.pop_front();
        }
        std::exception_ptr error;
        try {
            item->work();
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            item->error = error;
            item->ran = true;
            item->done = true;
        }
        finished_.notify_all();
        ++count;
    }
}

void HandOver::DropPending() {
    {
        std::lock_guard lock(mutex_);
        for (auto& item : queue_) {
            item->done = true;
        }
        queue_.clear();
    }
    finished_.notify_all();
}

bool HandOver::HasPending() const {
    std::lock_guard lock(mutex_);
    return !queue_.empty();
}

} // namespace kelmora
