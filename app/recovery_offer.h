#pragma once

class COv2Doc;

namespace ov2 {

// At start: offers the unsaved changes that a program which did not end cleanly left in its
// recovery copy ("Recover them?"). Recover opens them as the modified catalogue; Discard
// deletes the copy. A copy that does not read is set aside, named, and never deleted. Stops
// at the first copy recovered; the others wait for the next start.
void OfferRecovery(COv2Doc& doc);

}  // namespace ov2
