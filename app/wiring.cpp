#include "app/wiring.h"

#include "app/frm_main.h"

namespace wiring {

void wireAll(FrmMain &main)
{
    Q_UNUSED(main);
}

} // namespace wiring
