/* ia32-probe [SELECTOR]: can this kernel run 32-bit code inside a 64-bit process, the way Wine's WoW64 does?
 *
 * WoW64 on Linux needs two things of the kernel. First, 32-bit system calls: Wine's ntdll.so gives each
 * thread its 32-bit %fs with set_thread_area, which only the 32-bit entry (int 0x80) offers; a kernel built
 * without IA32 emulation, or booted with ia32_emulation=false, has no such entry, and the int 0x80 ends in a
 * general protection fault. Second, a switch of the 64-bit process into compatibility mode: a far jump into
 * the kernel's 32-bit user code segment (selector 0x23 on x86_64 Linux) and back through the 64-bit one
 * (0x33). This program does both once: set_thread_area through int 0x80, as ntdll.so does, then a far call
 * from 64-bit code into a stub in the low 4 GB, through SELECTOR (default 0x23), that returns at once with a
 * far return. The stub's bytes decode differently in the two modes (0x48 is "dec eax" in 32-bit code, a REX
 * prefix in 64-bit code), so the value it returns tells which mode really ran it. Given a SELECTOR, only the
 * far call is made.
 *
 * Prints one line and exits 0 when both worked; 1 when one of them faulted, failed or ran 64-bit code (the
 * line says which); 2 when the probe itself could not be set up. Each step runs in a child process, so a
 * fault only ends the child.
 */
#define _GNU_SOURCE
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#if !defined(__x86_64__) || !defined(__linux__)
int main(void) {
  puts("not an x86_64 Linux process: there is no 32-bit code segment to switch to");
  return 2;
}
#else

enum { kPage = 4096, kStub = 0, kTrampoline = 64, kFarPointer = 128 };

/* Entered in the selector's mode: xor eax,eax; dec eax (in 64-bit mode REX.W nop); nop; retf. */
static const unsigned char kStubCode[] = {0x31, 0xC0, 0x48, 0x90, 0xCB};

/* 64-bit code, called as uint32_t (*)(const void* far_pointer, void* stack_top): keeps the stack pointer in
 * rbx, moves to the stack in the low 4 GB (32-bit code sees only esp), far-calls through the m16:32 pointer
 * (which pushes a 32-bit return address, so this code lives in the low 4 GB too), and returns eax. */
static const unsigned char kTrampolineCode[] = {
    0x53,             /* push rbx */
    0x48, 0x89, 0xE3, /* mov rbx, rsp */
    0x48, 0x89, 0xF4, /* mov rsp, rsi */
    0xFF, 0x1F,       /* call far [rdi] */
    0x48, 0x89, 0xDC, /* mov rsp, rbx */
    0x5B,             /* pop rbx */
    0xC3,             /* ret */
};

/* set_thread_area(2) of the 32-bit system call table, through the 32-bit entry, with the descriptor in the
 * low 4 GB (the entry sees only ebx): a new TLS entry of the GDT, as ntdll.so asks for its 32-bit %fs. */
static int run_set_thread_area(void) {
  uint32_t* desc = mmap(NULL, kPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
  if (desc == MAP_FAILED) return 3;
  desc[0] = 0xFFFFFFFFu; /* entry_number: any free one */
  desc[1] = 0;           /* base_addr */
  desc[2] = 0xFFF;       /* limit */
  desc[3] = 0x41;        /* seg_32bit, useable */
  uint32_t eax = 243;    /* __NR_set_thread_area in the 32-bit table */
  uint32_t ebx = (uint32_t)(uintptr_t)desc;
  __asm__ volatile("int $0x80" : "+a"(eax) : "b"(ebx) : "memory", "r8", "r9", "r10", "r11");
  return eax == 0 && desc[0] != 0xFFFFFFFFu ? 0 : 5;
}

static int run_stub(unsigned selector) {
  /* Code and stack in the low 4 GB: a 32-bit return address and esp must reach them. */
  unsigned char* low = mmap(NULL, 2 * kPage, PROT_READ | PROT_WRITE | PROT_EXEC,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
  if (low == MAP_FAILED) return 3;
  memcpy(low + kStub, kStubCode, sizeof kStubCode);
  memcpy(low + kTrampoline, kTrampolineCode, sizeof kTrampolineCode);
  uint32_t offset = (uint32_t)(uintptr_t)(low + kStub);
  uint16_t segment = (uint16_t)selector;
  memcpy(low + kFarPointer, &offset, sizeof offset);
  memcpy(low + kFarPointer + 4, &segment, sizeof segment);
  uint32_t (*trampoline)(const void*, void*);
  void* entry = low + kTrampoline;
  memcpy(&trampoline, &entry, sizeof trampoline);
  uint32_t eax = trampoline(low + kFarPointer, low + 2 * kPage - 16);
  return eax == 0xFFFFFFFFu ? 0 : eax == 0 ? 1 : 4;
}

/* Runs step() (or, without one, the stub through selector) in a child; its wait status in *status. */
static int run_child(int (*step)(void), unsigned selector, int* status) {
  fflush(stdout);
  pid_t child = fork();
  if (child < 0) {
    puts("ia32-probe: fork failed");
    return -1;
  }
  if (child == 0) {
    alarm(10); /* each step returns at once; anything else is a fault of its own */
    _exit(step ? step() : run_stub(selector));
  }
  if (waitpid(child, status, 0) != child) {
    puts("ia32-probe: waitpid failed");
    return -1;
  }
  return 0;
}

int main(int argc, char** argv) {
  unsigned selector = 0x23;
  if (argc > 2 || (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0))) {
    puts("usage: ia32-probe [SELECTOR]   (default 0x23, the 32-bit user code segment)");
    return argc == 2 ? 0 : 2;
  }
  if (argc == 2) {
    char* end;
    unsigned long value = strtoul(argv[1], &end, 0);
    if (*argv[1] == '\0' || *end != '\0' || value > 0xFFFF) {
      printf("ia32-probe: '%s' is not a segment selector\n", argv[1]);
      return 2;
    }
    selector = (unsigned)value;
  }
  int status;
  if (argc == 1) {
    if (run_child(run_set_thread_area, 0, &status) != 0) return 2;
    if (WIFSIGNALED(status)) {
      printf("a 32-bit system call (int 0x80, set_thread_area) ends in signal %d (%s)\n", WTERMSIG(status),
             strsignal(WTERMSIG(status)));
      return 1;
    }
    if (WEXITSTATUS(status) != 0) {
      puts(WEXITSTATUS(status) == 3 ? "ia32-probe: no memory below 4 GB (mmap MAP_32BIT refused)"
                                    : "a 32-bit system call (int 0x80, set_thread_area) gives no TLS entry");
      return WEXITSTATUS(status) == 3 ? 2 : 1;
    }
  }
  if (run_child(NULL, selector, &status) != 0) return 2;
  if (WIFSIGNALED(status)) {
    printf("a far call into selector 0x%x ends in signal %d (%s)\n", selector, WTERMSIG(status),
           strsignal(WTERMSIG(status)));
    return 1;
  }
  switch (WEXITSTATUS(status)) {
    case 0:
      if (argc == 1)
        printf("32-bit system calls work, and code entered through selector 0x%x runs as 32-bit code\n", selector);
      else
        printf("code entered through selector 0x%x runs as 32-bit code\n", selector);
      return 0;
    case 1:
      printf("code entered through selector 0x%x runs as 64-bit code, not 32-bit\n", selector);
      return 1;
    case 3:
      puts("ia32-probe: no executable memory below 4 GB (mmap MAP_32BIT refused)");
      return 2;
    default:
      printf("code entered through selector 0x%x returned an unexpected value\n", selector);
      return 1;
  }
}
#endif
