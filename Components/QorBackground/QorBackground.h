#pragma once
// TQorBackground: a striped two-colour backdrop painted onto its parent's surface. Bands of
// SpaceWidth rows start every Space x SpaceWidth rows; their colour runs from Color1 at the top
// towards Color2 (the last band stops one step short of it); the rows between bands are left to
// the parent, so its colour shows through.
#include <cstdint>
#include <string>

#include "platform/ui/Control.h"
#include "platform/ui/PropertyTable.h"

namespace veskel {

class TQorBackground : public GraphicControl {
public:
    TQorBackground();
    std::string ClassName() const override { return "TQorBackground"; }
    const PropertyTable& StoredProperties() const override;

    // Plain red, green and blue bytes (system colour codes are not translated).
    Color Color1() const { return color1_; }
    void SetColor1(Color c);
    Color Color2() const { return color2_; }
    void SetColor2(Color c);
    // Band pitch in units of SpaceWidth; painting turns 0 into 1 (and keeps it).
    int Space() const { return space_; }
    void SetSpace(int v);
    // Painted rows per band. With 0 there are no bands and nothing is painted.
    int SpaceWidth() const { return spaceWidth_; }
    void SetSpaceWidth(int v);

protected:
    void Paint(Canvas& canvas) override;

private:
    Color color1_ = 0;
    Color color2_ = 0;
    std::uint8_t space_ = 0;
    std::uint8_t spaceWidth_ = 0;
};

}  // namespace veskel
