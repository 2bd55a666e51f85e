#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "host_fixture.h"
#include "outside/ravelin_arrays.h"
#include "outside/ravelin_ids.h"
#include "ravelin/arrays.h"

using comlite::ComPtr;
using ravelintest::got;
using ravelintest::HostFramework;
using ::testing::Each;
using RA = IRealArrayDisp;

TEST_F(HostFramework, arrays_keep_elements_through_resizes_and_check_indexes_sizes_and_outs) {
  auto a = create<IRealArrayDisp>(ravelin::kClsidRealArray);
  auto integer = create<IIntegerArrayDisp>(ravelin::kClsidIntegerArray);
  ASSERT_TRUE(a && integer);
  EXPECT_EQ(got(a, &RA::get_Count), 0);
  ASSERT_EQ(a->SetSize(3), S_OK);
  ASSERT_EQ(a->put_IthValue(0, 0.25), S_OK);
  ASSERT_EQ(a->put_IthValue(2, -32767.0), S_OK);
  EXPECT_EQ(got(a, &RA::get_IthValue, 1), 0.0);  // grown elements are zero
  ASSERT_EQ(a->SetSize(5), S_OK);
  EXPECT_EQ(got(a, &RA::get_IthValue, 2), -32767.0);
  ASSERT_EQ(a->SetSize(1), S_OK);
  EXPECT_EQ(got(a, &RA::get_IthValue, 0), 0.25);

  ASSERT_EQ(integer->SetSize(2), S_OK);
  double d = 0;
  LONG l = 0;
  EXPECT_THAT((std::vector<HRESULT>{a->get_IthValue(1, &d), a->get_IthValue(-1, &d),
                                    a->put_IthValue(1, 1.0), integer->get_IthValue(2, &l),
                                    integer->put_IthValue(-1, 3)}),
              Each(DISP_E_BADINDEX));
  EXPECT_THAT((std::vector<HRESULT>{a->get_IthValue(0, nullptr), a->get_Count(nullptr),
                                    integer->get_IthValue(0, nullptr)}),
              Each(E_POINTER));
  EXPECT_EQ(a->SetSize(-1), E_INVALIDARG);
  EXPECT_EQ(integer->SetSize(-5), E_INVALIDARG);
  EXPECT_EQ(got(integer, &IIntegerArrayDisp::get_Count), 2);  // a failed resize changes nothing
}

TEST_F(HostFramework, block_interface_reads_and_replaces_the_whole_array) {
  auto a = create<IRealArrayDisp>(ravelin::kClsidRealArray);
  ASSERT_TRUE(a);
  auto block = a.as<IRealArrayBlock>();
  ASSERT_TRUE(block);
  const double in[] = {0.1, 0.2, 0.7};
  ASSERT_EQ(block->SetValues(3, in), S_OK);
  EXPECT_EQ(got(a, &RA::get_Count), 3);
  EXPECT_EQ(got(a, &RA::get_IthValue, 2), 0.7);
  std::vector<double> out(3);
  ASSERT_EQ(block->GetValues(3, out.data()), S_OK);
  EXPECT_EQ(out, (std::vector<double>{0.1, 0.2, 0.7}));
  // The block is read whole or not at all.
  EXPECT_EQ((std::vector<HRESULT>{block->GetValues(2, out.data()), block->GetValues(4, out.data()),
                                  block->GetValues(3, nullptr), block->SetValues(-1, in),
                                  block->SetValues(2, nullptr)}),
            (std::vector<HRESULT>{E_INVALIDARG, E_INVALIDARG, E_POINTER, E_INVALIDARG, E_POINTER}));
  ASSERT_EQ(block->SetValues(0, nullptr), S_OK);
  EXPECT_EQ(got(a, &RA::get_Count), 0);

  auto integer = create<IIntegerArrayDisp>(ravelin::kClsidIntegerArray);
  ASSERT_TRUE(integer);
  auto intBlock = integer.as<IIntegerArrayBlock>();
  ASSERT_TRUE(intBlock);
  const LONG idx[] = {2, 0, 1};
  ASSERT_EQ(intBlock->SetValues(3, idx), S_OK);
  EXPECT_EQ(got(integer, &IIntegerArrayDisp::get_IthValue, 0), 2);
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
  ComPtr<IIntegerArrayDisp> iface;
  ASSERT_EQ(ints.dispatch()->QueryInterface(IIntegerArrayDisp::kIID, iface.putVoid()), S_OK);
  EXPECT_EQ(got(iface, &IIntegerArrayDisp::get_IthValue, 1), 1);
}
