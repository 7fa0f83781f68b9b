// The park's managers as the park's classes reach them through the World (null while there is no park or the
// World holds no manager of that class).
#pragma once

class CleaningManager;
class ConstructionManager;
class FeedbackManager;
class RepairManager;
class ResearchManager;

ConstructionManager* GetConstructionManager();
CleaningManager* GetCleaningManager();
// The mechanics' and the zookeepers' job boards.
RepairManager* GetMechanicsRepair();
RepairManager* GetZooRepair();
FeedbackManager* GetFeedbackManager();
ResearchManager* GetResearchManager();
