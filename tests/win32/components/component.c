/* Test components for the self-registration of the process port: small
 * in-process libraries, built in variants by compile definitions.
 *   QUORRIL_REGISTER_RESULT   the status DllRegisterServer returns
 *   QUORRIL_WITHOUT_ENTRY     no DllRegisterServer at all
 *   QUORRIL_WITH_DEPENDENCY   DllRegisterServer returns what the library
 *                             quorril_test_dependency.dll answers, so the
 *                             component loads only where that one is found
 */
#include <windows.h>

#ifdef QUORRIL_WITH_DEPENDENCY
__declspec(dllimport) int QuorrilTestDependency(void);
#endif

#ifndef QUORRIL_WITHOUT_ENTRY
__declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer(void) {
#ifdef QUORRIL_WITH_DEPENDENCY
  return (HRESULT)QuorrilTestDependency();
#else
  return (HRESULT)(QUORRIL_REGISTER_RESULT);
#endif
}
#else
__declspec(dllexport) int QuorrilTestNothing(void) { return 0; }
#endif
