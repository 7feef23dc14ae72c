// Linux release builds (QUILL_STATIC_RUNTIME) link the C++ runtime and
// libgcc into the binary. Built against a recent glibc, those static copies
// call two functions that only recent glibc versions have: arc4random (2.36;
// std::random_device, which the engine never uses, but the runtime's string
// code links it in) and _dl_find_object (2.35; the unwinder finds a
// function's exception tables with it). The linker sends both calls here
// (--wrap), to versions built on older functions, so the binary needs no
// glibc newer than 2.34 and runs on the Linux systems of the last years.
#include <dlfcn.h>
#include <link.h>
#include <sys/random.h>

#include <cstdint>
#include <ctime>

extern "C" {
// Called instead of arc4random: 32 random bits.
uint32_t __wrap_arc4random();
// Called instead of _dl_find_object: the loaded object holding address, its
// mapping and its exception-frame header; 0 when found, -1 otherwise.
int __wrap__dl_find_object(void* address, dl_find_object* result);
}

namespace {

struct ObjectSearch {
    uintptr_t Address;
    dl_find_object* Result;
};

// One loaded object: when one of its loaded segments holds the address,
// fills in the result and ends the walk.
int VisitObject(dl_phdr_info* info, size_t, void* data) {
    ObjectSearch& search = *static_cast<ObjectSearch*>(data);
    uintptr_t start = UINTPTR_MAX;
    uintptr_t end = 0;
    void* ehFrame = nullptr;
    bool holdsAddress = false;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        const uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
        if (segment.p_type == PT_LOAD) {
            if (begin < start) start = begin;
            if (begin + segment.p_memsz > end) end = begin + segment.p_memsz;
            if (search.Address >= begin && search.Address < begin + segment.p_memsz) holdsAddress = true;
        } else if (segment.p_type == PT_GNU_EH_FRAME) {
            ehFrame = reinterpret_cast<void*>(begin);
        }
    }
    if (!holdsAddress) return 0;
    *search.Result = dl_find_object{};
    search.Result->dlfo_map_start = reinterpret_cast<void*>(start);
    search.Result->dlfo_map_end = reinterpret_cast<void*>(end);
    search.Result->dlfo_eh_frame = ehFrame;
    return 1;
}

}  // namespace

uint32_t __wrap_arc4random() {
    uint32_t value = 0;
    if (getentropy(&value, sizeof value) != 0) value = static_cast<uint32_t>(std::time(nullptr));
    return value;
}

int __wrap__dl_find_object(void* address, dl_find_object* result) {
    ObjectSearch search{reinterpret_cast<uintptr_t>(address), result};
    return dl_iterate_phdr(VisitObject, &search) != 0 ? 0 : -1;
}
