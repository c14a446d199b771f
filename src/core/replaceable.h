#pragma once
// A process-wide service that tests replace with their own: Current() is the
// installed one, or the real one (T::Real()) while none is installed. T
// derives from Replaceable<T>, so callers say Prompter::Current() and so on.
#include <utility>

namespace nubivu {

template <class T> class Replaceable {
public:
    static T& Current() {
        T* installed = slot();
        return installed ? *installed : T::Real();
    }
    // Installs a replacement (null restores the real one); returns the previous one.
    static T* Install(T* replacement) { return std::exchange(slot(), replacement); }

private:
    static T*& slot() {
        static T* installed = nullptr;
        return installed;
    }
};

} // namespace nubivu
