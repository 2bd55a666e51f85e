#include <gtest/gtest.h>

#include <vector>

#include "host_fixture.h"
#include "outside/ravelin_arrays.h"
#include "outside/ravelin_ids.h"
#include "ravelin/arrays.h"

using comlite::ComPtr;
using ravelintest::HostFramework;

TEST_F(HostFramework, real_array_keeps_elements_through_resizes) {
  auto a = create<IRealArrayDisp>(ravelin::kClsidRealArray);
  ASSERT_TRUE(a);
  LONG n = -1;
  ASSERT_EQ(a->get_Count(&n), S_OK);
  EXPECT_EQ(n, 0);
  ASSERT_EQ(a->SetSize(3), S_OK);
  ASSERT_EQ(a->put_IthValue(0, 0.25), S_OK);
  ASSERT_EQ(a->put_IthValue(2, -32767.0), S_OK);
  double v = 1;
  ASSERT_EQ(a->get_IthValue(1, &v), S_OK);
  EXPECT_EQ(v, 0.0);  // grown elements are zero
  ASSERT_EQ(a->SetSize(5), S_OK);
  ASSERT_EQ(a->get_IthValue(2, &v), S_OK);
  EXPECT_EQ(v, -32767.0);
  ASSERT_EQ(a->SetSize(1), S_OK);
  ASSERT_EQ(a->get_IthValue(0, &v), S_OK);
  EXPECT_EQ(v, 0.25);
  EXPECT_EQ(a->get_IthValue(1, &v), DISP_E_BADINDEX);
}

TEST_F(HostFramework, array_indexes_sizes_and_outs_are_checked) {
  auto real = create<IRealArrayDisp>(ravelin::kClsidRealArray);
  auto integer = create<IIntegerArrayDisp>(ravelin::kClsidIntegerArray);
  ASSERT_TRUE(real && integer);
  ASSERT_EQ(real->SetSize(2), S_OK);
  ASSERT_EQ(integer->SetSize(2), S_OK);
  double d = 0;
  LONG l = 0;
  EXPECT_EQ(real->get_IthValue(-1, &d), DISP_E_BADINDEX);
  EXPECT_EQ(real->get_IthValue(2, &d), DISP_E_BADINDEX);
  EXPECT_EQ(real->put_IthValue(2, 1.0), DISP_E_BADINDEX);
  EXPECT_EQ(real->get_IthValue(0, nullptr), E_POINTER);
  EXPECT_EQ(real->get_Count(nullptr), E_POINTER);
  EXPECT_EQ(real->SetSize(-1), E_INVALIDARG);
  EXPECT_EQ(integer->get_IthValue(2, &l), DISP_E_BADINDEX);
  EXPECT_EQ(integer->put_IthValue(-1, 3), DISP_E_BADINDEX);
  EXPECT_EQ(integer->get_IthValue(0, nullptr), E_POINTER);
  EXPECT_EQ(integer->SetSize(-5), E_INVALIDARG);
  // A failed resize leaves the array as it was.
  LONG n = 0;
  ASSERT_EQ(integer->get_Count(&n), S_OK);
  EXPECT_EQ(n, 2);
}

TEST_F(HostFramework, block_interface_reads_and_replaces_the_whole_array) {
  auto a = create<IRealArrayDisp>(ravelin::kClsidRealArray);
  ASSERT_TRUE(a);
  auto block = a.as<IRealArrayBlock>();
  ASSERT_TRUE(block);
  const double in[] = {0.1, 0.2, 0.7};
  ASSERT_EQ(block->SetValues(3, in), S_OK);
  LONG n = 0;
  ASSERT_EQ(a->get_Count(&n), S_OK);
  EXPECT_EQ(n, 3);
  double v = 0;
  ASSERT_EQ(a->get_IthValue(2, &v), S_OK);
  EXPECT_EQ(v, 0.7);
  std::vector<double> out(3);
  ASSERT_EQ(block->GetValues(3, out.data()), S_OK);
  EXPECT_EQ(out, (std::vector<double>{0.1, 0.2, 0.7}));
  // The block is read whole or not at all.
  EXPECT_EQ(block->GetValues(2, out.data()), E_INVALIDARG);
  EXPECT_EQ(block->GetValues(4, out.data()), E_INVALIDARG);
  EXPECT_EQ(block->GetValues(3, nullptr), E_POINTER);
  EXPECT_EQ(block->SetValues(-1, in), E_INVALIDARG);
  EXPECT_EQ(block->SetValues(2, nullptr), E_POINTER);
  ASSERT_EQ(block->SetValues(0, nullptr), S_OK);
  ASSERT_EQ(a->get_Count(&n), S_OK);
  EXPECT_EQ(n, 0);

  auto integer = create<IIntegerArrayDisp>(ravelin::kClsidIntegerArray);
  ASSERT_TRUE(integer);
  auto intBlock = integer.as<IIntegerArrayBlock>();
  ASSERT_TRUE(intBlock);
  const LONG idx[] = {2, 0, 1};
  ASSERT_EQ(intBlock->SetValues(3, idx), S_OK);
  LONG l = 0;
  ASSERT_EQ(integer->get_IthValue(0, &l), S_OK);
  EXPECT_EQ(l, 2);
}

TEST_F(HostFramework, builder_reads_back_what_was_written_through_the_interface) {
  auto a = create<IRealArrayDisp>(ravelin::kClsidRealArray);
  ASSERT_TRUE(a);
  ASSERT_EQ(a->SetSize(2), S_OK);
  ASSERT_EQ(a->put_IthValue(1, 4.5), S_OK);
  auto handle = ravelin::RealArray::from(a.get());
  ASSERT_TRUE(handle);
  EXPECT_EQ(handle->values(), (std::vector<double>{0.0, 4.5}));
  // An integer array is not a real array, and neither is a foreign object.
  auto integer = create<IIntegerArrayDisp>(ravelin::kClsidIntegerArray);
  EXPECT_FALSE(ravelin::RealArray::from(integer.get()));
  EXPECT_FALSE(ravelin::RealArray::from(nullptr));
  auto ints = ravelin::IntegerArray::create(std::vector<LONG>{3, 1});
  LONG l = 0;
  ComPtr<IIntegerArrayDisp> iface;
  ASSERT_EQ(ints.dispatch()->QueryInterface(IIntegerArrayDisp::kIID, iface.putVoid()), S_OK);
  ASSERT_EQ(iface->get_IthValue(1, &l), S_OK);
  EXPECT_EQ(l, 1);
}
