/* Refers to a symbol that nothing provides: loading it must fail at once. */
extern int tvl_fixture_nowhere(void);

int tvl_fixture_call_nowhere(void) { return tvl_fixture_nowhere(); }
