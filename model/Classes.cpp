#include "model/Classes.h"

#include "engine/SpriteList.h"
#include "imaging/Dib.h"
#include "model/Ficha.h"
#include "model/Foto.h"
#include "model/Parms.h"
#include "model/Texto.h"
#include "model/Video.h"

void RegisterTitleClasses() {
    ClassRegistry& registry = ClassRegistry::Instance();
    registry.Register(RUNTIME_CLASS(CFicha));
    registry.Register(RUNTIME_CLASS(CTexto));
    registry.Register(RUNTIME_CLASS(CFoto));
    registry.Register(RUNTIME_CLASS(CArrayFichas));
    registry.Register(RUNTIME_CLASS(CArrayTextos));
    registry.Register(RUNTIME_CLASS(CArrayFotos));
    registry.Register(RUNTIME_CLASS(CVideo));
    registry.Register(RUNTIME_CLASS(CParms));
    RegisterImagingClasses();
    RegisterEngineClasses();
}
