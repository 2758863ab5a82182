/* Thread-local variables of the runtime (the exception state of the C++ library) for a
   single-threaded program. The compiler reaches them through __emutls_get_address; the
   runtime's own version keeps one copy per thread with the threads library's keys and locks,
   some 22 KB that setup.exe cannot spare. Only the main thread ever runs this program's code
   (window procedures, timers and COM calls of a single-threaded apartment all come to it), so
   one copy of each variable is exact. */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

struct TEmutlsObject {
  uintptr_t Size;
  uintptr_t Align;
  void* Ptr;
  void* Templ;
};

void* __emutls_get_address(void* object) {
  struct TEmutlsObject* obj = object;
  if (!obj->Ptr) {
    uintptr_t align = obj->Align > sizeof(void*) ? obj->Align : sizeof(void*);
    void* p = _aligned_malloc(obj->Size ? obj->Size : 1, align);
    if (!p) abort();
    if (obj->Templ)
      memcpy(p, obj->Templ, obj->Size);
    else
      memset(p, 0, obj->Size);
    obj->Ptr = p;
  }
  return obj->Ptr;
}

void __emutls_register_common(void* object, unsigned long long size, unsigned long long align,
                              void* templ) {
  struct TEmutlsObject* obj = object;
  if (obj->Size < size) {
    obj->Size = size;
    obj->Templ = NULL;
  }
  if (obj->Align < align) obj->Align = align;
  if (templ && size == obj->Size) obj->Templ = templ;
}

/* The exception allocator guards its emergency pool with a mutex; with one thread there is
   nothing to guard, and the threads library's mutexes cost another 2.6 KB. */
typedef void* pthread_mutex_t;
typedef void* pthread_mutexattr_t;

int pthread_mutex_init(pthread_mutex_t* m, const pthread_mutexattr_t* a) {
  (void)a;
  *m = NULL;
  return 0;
}
int pthread_mutex_destroy(pthread_mutex_t* m) {
  (void)m;
  return 0;
}
int pthread_mutex_lock(pthread_mutex_t* m) {
  (void)m;
  return 0;
}
int pthread_mutex_unlock(pthread_mutex_t* m) {
  (void)m;
  return 0;
}

/* The start-up code's default handler for maths errors prints to stderr, which a windowed
   program does not have; the library's own functions report through their results. */
struct _exception;
int _matherr(struct _exception* e) {
  (void)e;
  return 0;
}

/* Data imported from a DLL without __declspec(dllimport) would need the start-up code to patch
   this image at run time; the link refuses such imports (--disable-runtime-pseudo-reloc), so
   there is never anything to patch, and the patcher's 3 KB can go. */
void _pei386_runtime_relocator(void) {}
