#pragma once
// Every test class of an area registers itself here; the area's executable
// runs them all. "tst_area ClassName [qtest args]" runs one class.
#include <QObject>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <vector>

namespace nubivu::test {

struct TestClass {
    const char* name;
    std::function<QObject*()> create;
};

std::vector<TestClass>& registry();

struct Register {
    Register(const char* name, std::function<QObject*()> create) {
        registry().push_back({name, std::move(create)});
    }
};

// The third-party picture corpus, or an empty string when it is not beside the checkout.
QString corpusDir();

} // namespace nubivu::test

#define NUBIVU_TEST(Class)                                                                         \
    static ::nubivu::test::Register register_##Class(#Class, [] { return new Class; });

// A window's designed control, found by its object name (the designed name).
// A missing one ends the run at once: every test after it would fail anyway.
template <class T, class Owner> T* child(const Owner& owner, const char* name) {
    const QObject* parent = &*owner;
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}
