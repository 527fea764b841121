// The host's OpenCL device, owning handles, device buffers and their GPU memory accounting, and kernels
// built from program text.
#include "gpu/GPUMemory.h"
#include "gpu/OpenCLRuntime.h"
#include "host/OpenCLDevice.h"
#include <cstdlib>
#include <gtest/gtest.h>
#include <maya/MOpenCLBuffer.h>
#include <maya/MOpenCLInfo.h>
#include <maya/MViewport2Renderer.h>
#include <string>
#include <utility>
#include <vector>

namespace {

class GpuRuntimeTest : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_OPENCL_DEVICE(); }

    static cl_uint references(cl_mem mem) {
        cl_uint count = 0;
        EXPECT_EQ(clGetMemObjectInfo(mem, CL_MEM_REFERENCE_COUNT, sizeof(count), &count, nullptr),
                  CL_SUCCESS);
        return count;
    }
    static cl_uint references(cl_event event) {
        cl_uint count = 0;
        EXPECT_EQ(clGetEventInfo(event, CL_EVENT_REFERENCE_COUNT, sizeof(count), &count, nullptr),
                  CL_SUCCESS);
        return count;
    }
    static cl_uint references(cl_kernel kernel) {
        cl_uint count = 0;
        EXPECT_EQ(clGetKernelInfo(kernel, CL_KERNEL_REFERENCE_COUNT, sizeof(count), &count, nullptr),
                  CL_SUCCESS);
        return count;
    }
    static size_t sizeOf(cl_mem mem) {
        size_t size = 0;
        EXPECT_EQ(clGetMemObjectInfo(mem, CL_MEM_SIZE, sizeof(size), &size, nullptr), CL_SUCCESS);
        return size;
    }
    static cl_mem newBuffer(size_t bytes) {
        cl_int error = CL_SUCCESS;
        cl_mem mem =
            clCreateBuffer(MOpenCLInfo::getOpenCLContext(), CL_MEM_READ_WRITE, bytes, nullptr, &error);
        EXPECT_EQ(error, CL_SUCCESS);
        return mem;
    }
};

} // namespace

TEST_F(GpuRuntimeTest, DeviceContextAndQueueAreOpenAndNamed) {
    const khost::gpu::Runtime& r = khost::gpu::runtime();
    EXPECT_EQ(MOpenCLInfo::getOpenCLContext(), r.context);
    EXPECT_EQ(MOpenCLInfo::getMayaDefaultOpenCLCommandQueue(), r.queue);
    ASSERT_NE(MOpenCLInfo::getOpenCLDeviceId(), nullptr);
    EXPECT_NE(r.queue, nullptr);
    EXPECT_NE(r.description.find(" ("), std::string::npos) << r.description;
    cl_context queueContext = nullptr;
    ASSERT_EQ(clGetCommandQueueInfo(r.queue, CL_QUEUE_CONTEXT, sizeof(queueContext), &queueContext, nullptr),
              CL_SUCCESS);
    EXPECT_EQ(queueContext, r.context);
}

TEST_F(GpuRuntimeTest, HandlesRetainOnCopyAdoptOnAttachAndReleaseOnReset) {
    cl_mem mem = newBuffer(16), other = newBuffer(16);
    // An extra reference of the test's own keeps the objects queryable after the handles let go.
    clRetainMemObject(mem);
    {
        MAutoCLMem a;
        a.attach(mem);
        EXPECT_EQ(references(mem), 2u) << "attach adopts the creation reference";
        MAutoCLMem b(a), c;
        c = a;
        EXPECT_EQ(references(mem), 4u);
        const MAutoCLMem& self = a;
        c = b;
        a = self;
        EXPECT_EQ(references(mem), 4u) << "assigning the same object retains nothing more";
        MAutoCLMem moved(std::move(c));
        EXPECT_TRUE(c.isNull());
        EXPECT_EQ(references(mem), 4u);
        b.reset();
        EXPECT_TRUE(b.isNull());
        EXPECT_EQ(references(mem), 3u);
        moved.attach(other);
        EXPECT_EQ(references(mem), 2u) << "attaching another object releases the held one";
        EXPECT_EQ(references(other), 1u);
        // Moving swaps: both objects stay referenced exactly once by the two handles.
        a = std::move(moved);
        EXPECT_EQ(a.get(), other);
        EXPECT_EQ(references(mem), 2u);
        EXPECT_EQ(references(other), 1u);
        cl_mem detached = a.detach();
        EXPECT_EQ(detached, other);
        EXPECT_TRUE(a.isNull());
        EXPECT_EQ(references(other), 1u) << "detach gives the reference to the caller";
        clReleaseMemObject(detached);
    }
    EXPECT_EQ(references(mem), 1u) << "every handle gave its reference back";
    clReleaseMemObject(mem);
}

TEST_F(GpuRuntimeTest, EventListsKeepTheirEventsAliveAndLeaveNullOnesOut) {
    cl_int error = CL_SUCCESS;
    MAutoCLEvent event;
    event.attach(clCreateUserEvent(MOpenCLInfo::getOpenCLContext(), &error));
    ASSERT_EQ(error, CL_SUCCESS);
    ASSERT_EQ(references(event.get()), 1u);

    MAutoCLEventList list;
    EXPECT_EQ(list.array(), nullptr);
    list.add(MAutoCLEvent());
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(list.array(), nullptr) << "a null wait list, as clEnqueue* wants for no events";
    list.add(event);
    list.add(MAutoCLEvent());
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.array()[0], event.get());
    EXPECT_EQ(references(event.get()), 2u);

    const cl_event raw = event.get();
    event.reset();
    EXPECT_EQ(references(raw), 1u) << "the list still holds it";
    ASSERT_EQ(clSetUserEventStatus(raw, CL_COMPLETE), CL_SUCCESS);
    EXPECT_EQ(clWaitForEvents(list.size(), list.array()), CL_SUCCESS);
    clRetainEvent(raw);
    list.clear();
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(references(raw), 1u);
    clReleaseEvent(raw);
}

TEST_F(GpuRuntimeTest, BufferGrowsOnlyAndBooksItsBytesWhileItHoldsThem) {
    int owner = 0;
    khost::gpu::GPUMemoryOwnerScope scope(&owner);
    {
        MOpenCLBuffer buffer;
        EXPECT_NE(buffer.ensureBufferSize(0), CL_SUCCESS) << "OpenCL has no empty buffers";
        EXPECT_TRUE(buffer.buffer().isNull());
        EXPECT_EQ(khost::gpu::bookedGPUMemory(&owner), 0u);

        ASSERT_EQ(buffer.ensureBufferSize(64), CL_SUCCESS);
        const cl_mem first = buffer.buffer().get();
        EXPECT_EQ(khost::gpu::bookedGPUMemory(&owner), 64u);
        ASSERT_EQ(buffer.ensureBufferSize(32), CL_SUCCESS);
        ASSERT_EQ(buffer.ensureBufferSize(64), CL_SUCCESS);
        EXPECT_EQ(buffer.buffer().get(), first) << "no reallocation while it is big enough";
        EXPECT_EQ(khost::gpu::bookedGPUMemory(&owner), 64u);

        ASSERT_EQ(buffer.ensureBufferSize(100), CL_SUCCESS);
        EXPECT_EQ(sizeOf(buffer.buffer().get()), 100u);
        EXPECT_EQ(khost::gpu::bookedGPUMemory(&owner), 100u) << "the old bytes were unbooked";

        buffer.reset();
        EXPECT_TRUE(buffer.buffer().isNull());
        EXPECT_EQ(khost::gpu::bookedGPUMemory(&owner), 0u);
        buffer.reset();
        EXPECT_EQ(khost::gpu::bookedGPUMemory(&owner), 0u);

        ASSERT_EQ(buffer.ensureBufferSize(48), CL_SUCCESS);
        const cl_mem held = buffer.buffer().get();
        MOpenCLBuffer moved(std::move(buffer));
        EXPECT_TRUE(buffer.buffer().isNull());
        EXPECT_EQ(moved.buffer().get(), held);
        buffer.reset();
        EXPECT_EQ(khost::gpu::bookedGPUMemory(&owner), 48u) << "the moved-from buffer books nothing";

        MOpenCLBuffer target;
        ASSERT_EQ(target.ensureBufferSize(16), CL_SUCCESS);
        target = std::move(moved);
        EXPECT_EQ(target.buffer().get(), held);
        EXPECT_EQ(khost::gpu::bookedGPUMemory(&owner), 48u) << "the target's own 16 bytes were unbooked";
        ASSERT_EQ(buffer.ensureBufferSize(8), CL_SUCCESS);
        EXPECT_EQ(khost::gpu::bookedGPUMemory(&owner), 56u) << "a moved-from buffer is usable again";
    }
    EXPECT_EQ(khost::gpu::bookedGPUMemory(&owner), 0u) << "destruction unbooks";
}

TEST_F(GpuRuntimeTest, GPUMemoryIsBookedPerOwnerAndOverReleasesAreRefused) {
    MHWRender::MRenderer* renderer = MHWRender::MRenderer::theRenderer();
    const MUint64 before = khost::gpu::bookedGPUMemory();
    int outer = 0, inner = 0;
    {
        khost::gpu::GPUMemoryOwnerScope outerScope(&outer);
        MUint64 evicted = 99;
        EXPECT_TRUE(renderer->holdGPUMemory(10, &evicted));
        EXPECT_EQ(evicted, 0u);
        {
            khost::gpu::GPUMemoryOwnerScope innerScope(&inner);
            EXPECT_TRUE(renderer->holdGPUMemory(5));
            EXPECT_EQ(renderer->releaseGPUMemory(6), MS::kInvalidParameter) << "inner holds only 5";
        }
        EXPECT_TRUE(renderer->holdGPUMemory(3)) << "back to the outer owner";
        EXPECT_EQ(khost::gpu::bookedGPUMemory(&outer), 13u);
        EXPECT_EQ(khost::gpu::bookedGPUMemory(&inner), 5u);
        EXPECT_EQ(khost::gpu::bookedGPUMemory(), before + 18);
        EXPECT_TRUE(renderer->releaseGPUMemory(13));
        EXPECT_EQ(khost::gpu::bookedGPUMemory(&outer), 0u);
        EXPECT_EQ(renderer->releaseGPUMemory(1), MS::kInvalidParameter);
    }
    EXPECT_EQ(khost::gpu::bookedGPUMemory(&inner), 5u) << "a refused release changes nothing";
    {
        // Nothing released by an owner that holds nothing is no error.
        khost::gpu::GPUMemoryOwnerScope outerAgain(&outer);
        EXPECT_TRUE(renderer->releaseGPUMemory(0));
        EXPECT_EQ(khost::gpu::bookedGPUMemory(), before + 5);
    }
    khost::gpu::GPUMemoryOwnerScope innerAgain(&inner);
    EXPECT_TRUE(renderer->releaseGPUMemory(5));
    EXPECT_EQ(khost::gpu::bookedGPUMemory(), before);
}

TEST_F(GpuRuntimeTest, KernelsComeFromOneProgramPerTextAndAreGivenBackOnce) {
    const MString source = "__kernel void addTo(__global float* values, float amount) {\n"
                           "    values[get_global_id(0)] += amount;\n"
                           "}\n"
                           "__kernel void scale(__global float* values, float factor) {\n"
                           "    values[get_global_id(0)] *= factor;\n"
                           "}\n";
    const size_t handedOut = khost::gpu::kernelsHandedOut();
    MAutoCLKernel add = MOpenCLInfo::getOpenCLKernelFromString(source, "gpuRuntimeTest", "addTo");
    MAutoCLKernel scale = MOpenCLInfo::getOpenCLKernelFromString(source, "gpuRuntimeTest", "scale");
    MAutoCLKernel again = MOpenCLInfo::getOpenCLKernelFromString(source, "gpuRuntimeTest", "addTo");
    ASSERT_FALSE(add.isNull());
    ASSERT_FALSE(scale.isNull());
    ASSERT_FALSE(again.isNull());
    EXPECT_NE(add.get(), again.get()) << "each call makes a new kernel";
    EXPECT_EQ(khost::gpu::kernelsHandedOut(), handedOut + 3);
    EXPECT_EQ(references(add.get()), 2u) << "the handle's and the host's";

    const cl_program program = khost::gpu::programFor(std::string(source.asChar()));
    ASSERT_NE(program, nullptr);
    for (const MAutoCLKernel* kernel : {&add, &scale, &again}) {
        cl_program from = nullptr;
        ASSERT_EQ(clGetKernelInfo(kernel->get(), CL_KERNEL_PROGRAM, sizeof(from), &from, nullptr),
                  CL_SUCCESS);
        EXPECT_EQ(from, program) << "built once for the text";
    }

    // The kernel runs on the host's queue.
    std::vector<float> values{1.0f, 2.0f, 3.0f};
    MAutoCLMem buffer;
    buffer.attach(newBuffer(values.size() * sizeof(float)));
    cl_command_queue queue = MOpenCLInfo::getMayaDefaultOpenCLCommandQueue();
    const float amount = 0.5f;
    const size_t count = values.size();
    ASSERT_EQ(clEnqueueWriteBuffer(queue, buffer.get(), CL_TRUE, 0, count * sizeof(float), values.data(), 0,
                                   nullptr, nullptr),
              CL_SUCCESS);
    ASSERT_EQ(clSetKernelArg(add.get(), 0, sizeof(cl_mem), buffer.getReadOnlyRef()), CL_SUCCESS);
    ASSERT_EQ(clSetKernelArg(add.get(), 1, sizeof(float), &amount), CL_SUCCESS);
    ASSERT_EQ(clEnqueueNDRangeKernel(queue, add.get(), 1, nullptr, &count, nullptr, 0, nullptr, nullptr),
              CL_SUCCESS);
    ASSERT_EQ(clEnqueueReadBuffer(queue, buffer.get(), CL_TRUE, 0, count * sizeof(float), values.data(), 0,
                                  nullptr, nullptr),
              CL_SUCCESS);
    EXPECT_EQ(values, (std::vector<float>{1.5f, 2.5f, 3.5f}));

    EXPECT_TRUE(MOpenCLInfo::releaseOpenCLKernel(add));
    EXPECT_EQ(references(add.get()), 1u);
    EXPECT_FALSE(MOpenCLInfo::releaseOpenCLKernel(add)) << "given back already";
    EXPECT_FALSE(MOpenCLInfo::releaseOpenCLKernel(MAutoCLKernel()));
    EXPECT_TRUE(MOpenCLInfo::releaseOpenCLKernel(scale));
    EXPECT_TRUE(MOpenCLInfo::releaseOpenCLKernel(again));
    EXPECT_EQ(khost::gpu::kernelsHandedOut(), handedOut);
}

TEST_F(GpuRuntimeTest, BadProgramsAndUnknownEntriesGiveNullKernels) {
    const size_t handedOut = khost::gpu::kernelsHandedOut();
    const MString broken = "__kernel void broken(__global float* v) { v[0] = undeclared; }\n";
    EXPECT_TRUE(MOpenCLInfo::getOpenCLKernelFromString(broken, "gpuRuntimeTest", "broken").isNull());
    EXPECT_EQ(khost::gpu::programFor(broken.asChar()), nullptr);
    const MString fine = "__kernel void present(__global float* v) { v[0] = 1.0f; }\n";
    EXPECT_TRUE(MOpenCLInfo::getOpenCLKernelFromString(fine, "gpuRuntimeTest", "absent").isNull());
    EXPECT_NE(khost::gpu::programFor(fine.asChar()), nullptr) << "the program itself built";
    EXPECT_EQ(khost::gpu::kernelsHandedOut(), handedOut);
}
