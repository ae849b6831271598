#pragma once

// The model's one public header: settings, save folders, photo folders, the tag and favourite
// stores, photo records, favourite sites, the picture routines, the importer and the album.
#include "model/Album.h"
#include "model/FavouriteSites.h"
#include "model/Importer.h"
#include "model/OkiniStore.h"
#include "model/Orientation.h"
#include "model/OwningList.h"
#include "model/PhotoFolders.h"
#include "model/PhotoLayout.h"
#include "model/PhotoRecords.h"
#include "model/PhotoRemoval.h"
#include "model/PhotoSaveDirList.h"
#include "model/PhotoSetting.h"
#include "model/Pictures.h"
#include "model/TagStore.h"
