/* The library nubitest_needsdep depends on. */
__attribute__((visibility("default"))) int NubiTestDependency(void)
{
    return 1;
}
