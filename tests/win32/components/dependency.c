/* The library that the component built with QUORRIL_WITH_DEPENDENCY needs. */
__declspec(dllexport) int QuorrilTestDependency(void) { return 0; }
