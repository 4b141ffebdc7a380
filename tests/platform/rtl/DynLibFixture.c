/* A tiny shared library loaded by the run-time loading tests. */
int tvl_fixture_answer = 42;

int tvl_fixture_add(int a, int b) { return a + b; }
