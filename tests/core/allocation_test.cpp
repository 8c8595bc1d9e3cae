// The design path allocates nothing: malloc and operator new are replaced
// in this test binary by counting versions, and the design stages and the
// scaling of a 2049-tap design must leave the count at zero. Built only
// without sanitizers, which bring their own malloc.
#include <cstddef>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "core/design_filter.h"
#include "tests/core/design_record.h"

extern "C" void* __libc_malloc(std::size_t size);
extern "C" void* __libc_calloc(std::size_t count, std::size_t size);
extern "C" void* __libc_realloc(void* block, std::size_t size);

namespace {
bool counting = false;
long allocations = 0;

void count_allocation()
{
    if (counting) ++allocations;
}
}  // namespace

extern "C" void* malloc(std::size_t size)
{
    count_allocation();
    return __libc_malloc(size);
}

extern "C" void* calloc(std::size_t count, std::size_t size)
{
    count_allocation();
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, std::size_t size)
{
    count_allocation();
    return __libc_realloc(block, size);
}

void* operator new(std::size_t size)
{
    count_allocation();
    if (void* block = __libc_malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

long allocations_during(void (*work)())
{
    allocations = 0;
    counting = true;
    work();
    counting = false;
    return allocations;
}

TEST(Allocation, TheCounterSeesAnAllocation)
{
    // Through a volatile pointer, so that the compiler cannot elide the call.
    static void* (*volatile allocate)(std::size_t) = std::malloc;
    EXPECT_EQ(allocations_during([] { std::free(allocate(64)); }), 1);
}

TEST(Allocation, TheDesignPathAllocatesNothing)
{
    static DesignArrays arrays{};
    EXPECT_EQ(allocations_during([] {
        for (const char key : {'L', 'H', 'B'}) {
            design_filter(design_record(key, 48000, 6000, 9000, MAX_COEFFICIENTS, 60), arrays);
        }
    }), 0);
}

}  // namespace
