#pragma once
// A process-wide service that tests replace with their own: current() is the
// installed one, or the real one (T::real()) while none is installed. T
// derives from Replaceable<T>, so callers say Prompter::current() and so on.
#include <utility>

namespace nubivu {

template <class T> class Replaceable {
public:
    static T& current() {
        T* installed = slot();
        return installed ? *installed : T::real();
    }
    // Installs a replacement (null restores the real one); returns the previous one.
    static T* install(T* replacement) { return std::exchange(slot(), replacement); }

private:
    static T*& slot() {
        static T* installed = nullptr;
        return installed;
    }
};

} // namespace nubivu
