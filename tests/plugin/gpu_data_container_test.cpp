// GPUDataVector: when uploads reuse or replace the device buffer, what reaches the device, and the GPU
// memory booked for it through moves, releases and destruction.
#include "gpu/GPUMemory.h"
#include "gpu/OpenCLRuntime.h"
#include "host/OpenCLDevice.h"
#include "kivoMorphGPU/gpuDataContainer.h"
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

using Floats = GPUDataVector<float>;

class GpuDataContainerTest : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_OPENCL_DEVICE(); }

    // Bytes booked by the containers of this test alone.
    MUint64 booked() const { return khost::gpu::bookedGPUMemory(&fOwner); }

    static std::vector<float> sequence(size_t count, float first) {
        std::vector<float> values(count);
        for (size_t i = 0; i < count; ++i)
            values[i] = first + static_cast<float>(i);
        return values;
    }
    static std::vector<float> readBack(const Floats& container) {
        std::vector<float> values(container.deviceCount);
        EXPECT_EQ(clEnqueueReadBuffer(MOpenCLInfo::getMayaDefaultOpenCLCommandQueue(), container.buffer.get(),
                                      CL_TRUE, 0, values.size() * sizeof(float), values.data(), 0, nullptr,
                                      nullptr),
                  CL_SUCCESS);
        return values;
    }
    static size_t bytesOf(const Floats& container) {
        size_t size = 0;
        EXPECT_EQ(clGetMemObjectInfo(container.buffer.get(), CL_MEM_SIZE, sizeof(size), &size, nullptr),
                  CL_SUCCESS);
        return size;
    }

    int fOwner = 0;
    khost::gpu::GPUMemoryOwnerScope fScope{&fOwner};
};

} // namespace

TEST_F(GpuDataContainerTest, UploadsReallocateOnlyWhenTheCountChanges) {
    Floats values;
    values.assign(sequence(10, 1.0f));
    ASSERT_EQ(values.upload(), CL_SUCCESS);
    const cl_mem first = values.buffer.get();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(values.deviceCount, 10u);
    EXPECT_EQ(booked(), 10 * sizeof(float));

    values.assign(sequence(10, 100.0f));
    ASSERT_EQ(values.upload(), CL_SUCCESS);
    EXPECT_EQ(values.buffer.get(), first) << "same count, same buffer";
    EXPECT_EQ(booked(), 10 * sizeof(float));
    EXPECT_EQ(readBack(values), sequence(10, 100.0f));

    values.assign(sequence(11, 7.0f));
    ASSERT_EQ(values.upload(), CL_SUCCESS);
    EXPECT_EQ(bytesOf(values), 11 * sizeof(float));
    EXPECT_EQ(booked(), 11 * sizeof(float)) << "the 10 elements' bytes were unbooked";
    EXPECT_EQ(readBack(values), sequence(11, 7.0f));

    values.assign(sequence(9, -3.0f));
    ASSERT_EQ(values.upload(), CL_SUCCESS);
    EXPECT_EQ(bytesOf(values), 9 * sizeof(float)) << "shrinking reallocates too";
    EXPECT_EQ(booked(), 9 * sizeof(float));
    EXPECT_EQ(readBack(values), sequence(9, -3.0f));

    values.assign({});
    ASSERT_EQ(values.upload(), CL_SUCCESS);
    EXPECT_TRUE(values.buffer.isNull()) << "nothing to hold";
    EXPECT_TRUE(values.writeEvent.isNull());
    EXPECT_EQ(values.deviceCount, 0u);
    EXPECT_EQ(booked(), 0u);
}

TEST_F(GpuDataContainerTest, ClearingTheHostCopyKeepsTheDeviceBuffer) {
    Floats values;
    values.assign(sequence(6, 2.0f));
    ASSERT_EQ(values.upload(), CL_SUCCESS);
    const cl_mem buffer = values.buffer.get();
    values.clearHostCopy();
    EXPECT_TRUE(values.data.empty());
    cl_int written = CL_QUEUED;
    ASSERT_EQ(clGetEventInfo(values.writeEvent.get(), CL_EVENT_COMMAND_EXECUTION_STATUS, sizeof(written),
                             &written, nullptr),
              CL_SUCCESS);
    EXPECT_EQ(written, CL_COMPLETE) << "the upload read the vector before it was cleared";
    EXPECT_EQ(values.buffer.get(), buffer);
    EXPECT_EQ(values.deviceCount, 6u);
    EXPECT_EQ(booked(), 6 * sizeof(float));
    EXPECT_EQ(readBack(values), sequence(6, 2.0f));
}

TEST_F(GpuDataContainerTest, MovesCarryTheBufferAndItsBookingAndDestructionUnbooks) {
    {
        Floats source;
        source.assign(sequence(5, 0.0f));
        ASSERT_EQ(source.upload(), CL_SUCCESS);
        const cl_mem buffer = source.buffer.get();

        Floats moved(std::move(source));
        EXPECT_EQ(moved.buffer.get(), buffer);
        EXPECT_EQ(moved.deviceCount, 5u);
        EXPECT_TRUE(source.buffer.isNull());
        EXPECT_EQ(source.deviceCount, 0u);
        source.release();
        EXPECT_EQ(booked(), 5 * sizeof(float)) << "booked once, by the container holding the buffer";

        Floats target;
        target.assign(sequence(3, 0.0f));
        ASSERT_EQ(target.upload(), CL_SUCCESS);
        EXPECT_EQ(booked(), 8 * sizeof(float));
        target = std::move(moved);
        EXPECT_EQ(target.buffer.get(), buffer);
        EXPECT_EQ(target.deviceCount, 5u);
        EXPECT_EQ(booked(), 5 * sizeof(float)) << "the target's own 3 elements were unbooked";
        EXPECT_EQ(readBack(target), sequence(5, 0.0f));
    }
    EXPECT_EQ(booked(), 0u);
}
