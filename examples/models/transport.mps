* Transportation problem: ship a product from two plants to three markets
* at least cost, within each plant's capacity and meeting each market's
* demand. Costs are per unit shipped.
NAME          TRANSPORT
ROWS
 N  COST
 L  CAP_SEA
 L  CAP_SD
 G  DEM_NY
 G  DEM_CHI
 G  DEM_TOP
COLUMNS
    SEA_NY    COST      2.5        CAP_SEA   1
    SEA_NY    DEM_NY    1
    SEA_CHI   COST      1.7        CAP_SEA   1
    SEA_CHI   DEM_CHI   1
    SEA_TOP   COST      1.8        CAP_SEA   1
    SEA_TOP   DEM_TOP   1
    SD_NY     COST      2.5        CAP_SD    1
    SD_NY     DEM_NY    1
    SD_CHI    COST      1.8        CAP_SD    1
    SD_CHI    DEM_CHI   1
    SD_TOP    COST      1.4        CAP_SD    1
    SD_TOP    DEM_TOP   1
RHS
    RHS       CAP_SEA   350        CAP_SD    600
    RHS       DEM_NY    325        DEM_CHI   300
    RHS       DEM_TOP   275
ENDATA
