#pragma once
// Every test class of an area registers itself here; the area's executable
// runs them all. "tst_area ClassName [qtest args]" runs one class.
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

namespace nubivu::test {

struct TestClass {
    const char* name;
    std::function<QObject*()> create;
};

std::vector<TestClass>& Registry();

struct Register {
    Register(const char* name, std::function<QObject*()> create) {
        Registry().push_back({name, std::move(create)});
    }
};

// The third-party picture corpus, or an empty string when it is not beside the checkout.
QString CorpusDir();

} // namespace nubivu::test

#define NUBIVU_TEST(Class)                                                                         \
    static ::nubivu::test::Register register_##Class(#Class, [] { return new Class; });
