#include <stdexcept>

#include "framework/TCarbonEvent.h"
#include "framework/TEventHandler.h"
#include "framework/TNib.h"
#include "platform/Menus.h"
#include "tests/toolbox/ToolboxFixture.h"

namespace framework_test {
namespace {

using CarbonEventTest = toolbox_test::ToolboxTest;
constexpr EventParamName kName = FourCC("test");

// Sets one value through its typed setter and answers the type code and size stored.
template <typename T>
std::pair<EventParamType, UInt32> Stored(const T& value) {
  TCarbonEvent event(FourCC("test"), 1);
  EXPECT_EQ(event.SetParameter(kName, value), noErr);
  UInt32 type = 0;
  UInt32 size = 0;
  event.GetParameterType(kName, &type);
  event.GetParameterSize(kName, &size);
  T back{};
  EXPECT_EQ(event.GetParameter(kName, &back), noErr);
  return {type, size};
}

TEST_F(CarbonEventTest, TypedAccessorsUseTheTypeCodesAndSizesOfTheirValues) {
  const auto pointer = static_cast<UInt32>(sizeof(void*));
  EXPECT_EQ(Stored(Boolean{1}), std::make_pair(typeBoolean, 1u));
  EXPECT_EQ(Stored(true), std::make_pair(typeBoolean, 1u));
  EXPECT_EQ(Stored(Point{1, 2}), std::make_pair(typeQDPoint, 4u));
  EXPECT_EQ(Stored(CGPoint{1, 2}), std::make_pair(typeHIPoint, 8u));
  EXPECT_EQ(Stored(Rect{1, 2, 3, 4}), std::make_pair(typeQDRectangle, 8u));
  EXPECT_EQ(Stored(CGRect{{1, 2}, {3, 4}}), std::make_pair(typeHIRect, 16u));
  EXPECT_EQ(Stored(CGSize{3, 4}), std::make_pair(typeHISize, 8u));
  EXPECT_EQ(Stored(RgnHandle{}), std::make_pair(typeQDRgnHandle, pointer));
  EXPECT_EQ(Stored(DragRef{}), std::make_pair(typeDragRef, pointer));
  EXPECT_EQ(Stored(WindowRef(3u)), std::make_pair(typeWindowRef, 4u));
  EXPECT_EQ(Stored(ControlRef(3u)), std::make_pair(typeControlRef, 4u));
  EXPECT_EQ(Stored(MenuRef(3u)), std::make_pair(typeMenuRef, 4u));
  EXPECT_EQ(Stored(UInt32{5}), std::make_pair(typeUInt32, 4u));
  EXPECT_EQ(Stored(HICommand{}), std::make_pair(typeHICommand, 14u));
  EXPECT_EQ(Stored(HICommandExtended{}), std::make_pair(typeHICommand, 14u));
  EXPECT_EQ(Stored(short{7}), std::make_pair(typeControlPartCode, 2u));

  // Either command record reads the other's 14 bytes.
  TCarbonEvent event(kEventClassCommand, kEventCommandProcess);
  event.SetParameter(kEventParamDirectObject, HICommand{1, FourCC("SPC2"), {MenuRef(9u), 4}});
  HICommandExtended extended{};
  EXPECT_EQ(event.GetParameter(kEventParamDirectObject, &extended), noErr);
  EXPECT_EQ(extended.commandID, FourCC("SPC2"));
  EXPECT_EQ(extended.source.menu.menuItemIndex, 4);
  UInt32 type = 0;
  EXPECT_EQ(event.GetParameterType(kName, &type), eventParameterNotFoundErr);
}

class Thrower : public TEventHandler {
 public:
  Thrower() { RegisterForEvents(1, &kType); }
  OSStatus HandleEvent(EventHandlerCallRef, TCarbonEvent&) override {
    throw std::runtime_error("handler failed");
  }
  EventTargetRef GetEventTarget() override { return GetApplicationEventTarget(); }
  static constexpr EventTypeSpec kType{FourCC("test"), 1};
};

TEST_F(CarbonEventTest, TheWrapperHoldsOneReferenceAndGivesItBackOnEveryWayOut) {
  const long live = plat::LiveEvents();
  {
    TCarbonEvent created(FourCC("test"), 1);
    EventRef event = created;
    EXPECT_EQ(GetEventRetainCount(event), 1u);
    TCarbonEvent wrapper(event);
    EXPECT_EQ(GetEventRetainCount(event), 2u);

    Thrower thrower;
    EXPECT_THROW(SendEventToEventTarget(event, GetApplicationEventTarget()), std::runtime_error);
    EXPECT_EQ(GetEventRetainCount(event), 2u);
  }
  EXPECT_EQ(plat::LiveEvents(), live);
}

TEST_F(CarbonEventTest, ANibWrapperOwnsOneReference) {
  {
    testing::internal::CaptureStderr();
    TNib missing(CFSTR("no such nib"));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(static_cast<IBNibRef>(missing), nullptr);
    TNib nib(CFSTR("main"));
    EXPECT_NE(static_cast<IBNibRef>(nib), nullptr);
    EXPECT_EQ(nib.Init(CFSTR("USBMENUDOCK")), noErr);  // the first reference is given back
    EXPECT_EQ(plat::LiveNibReferences(), 1);
    MenuRef menu = nullptr;
    EXPECT_EQ(nib.CreateMenu(CFSTR("DockMenu"), &menu), noErr);
    ReleaseMenu(menu);
  }
  EXPECT_EQ(plat::LiveNibReferences(), 0);
}

}  // namespace
}  // namespace framework_test
