// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The game's texts in four languages: one table, looked up by number.
#include "1base/text.h"

int lang_id = 0; // English until the language screen says otherwise

// Everything is drawn with the bitmap fonts, which hold only capitals, digits and
// a few marks, so umlauts and accents are spelled out or dropped. Texts shown in the
// big font are kept to 20 characters, the width of the screen.
const char* const translation[NUM_LANGUAGES * NUM_TEXTS] = {
    // ---- English ----
    // death texts by cause: a lethal cell, a fall, then the monsters
    "IMPALED TO DEATH",    // 0
    "FELL TO DEATH",       // 1
    "KILLED BY A BLOB",    // 2
    "KILLED BY A HOGLET",  // 3
    "KILLED BY A BAT",     // 4
    "EATEN BY A PIRANHA",  // 5
    "KILLED BY A HAT GUY", // 6
    // graphic-set screen
    "PRESS LEFT FOR CLASSIC GRAPHICS", // 7
    "PRESS RIGHT FOR DELUXE GRAPHICS", // 8
    // HUD labels; the blanks line the colons up before the bars at x 64
    "  TIME:", // 9
    "   AIR:", // 10
    // pause menu
    "-PAUSE-", // 11
    "SUICIDE", // 12
    "GO ON",   // 13
    "EXIT",    // 14
    // play-field messages: level intro, standing at the closed door
    "BLOMP, RUN!",                  // 15
    "YOU FORGOT ITEMS!",            // 16
    "GO TO PAUSE MODE AND SUICIDE", // 17
    // title: attract prompt and main menu
    "PRESS START", // 18
    "NEW GAME",    // 19
    "CONTINUE",    // 20
    "HISCORES",    // 21
    "OPTIONS",     // 22
    // options page and key-capture prompts (the fire prompts are not shown)
    "PRESS START",        // 23
    "NOT AVAILABLE",      // 24
    "CONFIGURE KEYS",     // 25
    "PRESS START KEY",    // 26
    "PRESS LEFT KEY",     // 27
    "PRESS RIGHT KEY",    // 28
    "PRESS JUMP KEY",     // 29
    "PRESS FIRE KEY",     // 30
    "CONFIGURE PAD",      // 31
    "PRESS START BUTTON", // 32
    "PRESS JUMP BUTTON",  // 33
    "PRESS FIRE BUTTON",  // 34
    "MUSIC VOLUME",       // 35
    "SFX VOLUME",         // 36
    "BACK TO MENU",       // 37
    // hiscore name entry
    "ENTER YOUR NAME", // 38
    // deaths by time and by air
    "TIME UP", // 39
    "DROWNED", // 40
    // quit dialog
    "SURE TO QUIT?",                           // 41
    "PRESS LEFT FOR YES, PRESS RIGHT FOR NO",  // 42
    "ANY POSSIBLE HISCORE ENTRY WILL BE LOST", // 43
    // level complete
    "TIME BONUS",      // 44
    "LIFE BONUS",      // 45
    "CONGRATULATIONS", // 46
    "NEXT LEVEL",      // 47
    "APPROACHING",     // 48
    // ending
    "ALL ITEMS ARE BACK", // 49
    "AND YOU ARE SAFE",   // 50
    "AT HOME.",           // 51
    "HOME SWEET HOME!",   // 52
    // story before the first level
    "BLOMP WANDERED",  // 53
    "AROUND AND LOST", // 54
    "ALL HIS ITEMS.",  // 55
    "GET THEM BACK",   // 56
    "AND BEWARE THE",  // 57
    "CREATURES OF",    // 58
    "THE NIGHT",       // 59
    "GOOD LUCK!",      // 60
    // game over and the continue question
    "SCORE",      // 61
    "GAME OVER!", // 62
    "CONTINUE?",  // 63
    // credits screen; 74 also ends the warning screen
    "CREDITS",                       // 64
    "THIS PROJECT USES CODE",        // 65
    "OF THE FOLLOWING OPEN-SOURCE",  // 66
    "PROJECTS IN AN UNMODDED FORM:", // 67
    "SDL, SDL MIXER, LIBMODPLUG",    // 68
    "AND ZLIB",                      // 69
    "YOU CAN GET THE SOURCE CODE",   // 70
    "OF THE MENTIONED LIBRARIES",    // 71
    "BY VISITING THE RESPECTIVE",    // 72
    "HOMEPAGES.",                    // 73
    "PRESS UP TO GO ON",             // 74
    // warning screen
    "WARNING",                      // 75
    "THIS GAME IS VERY DIFFICULT.", // 76
    "WE ARE NOT RESPONSIBLE IF",    // 77
    "YOU BREAK YOUR DEVICE OR",     // 78
    "THROW IT AGAINST AN OBJECT.",  // 79
    "IF YOU DO NOT HAVE NERVES,",   // 80
    "PLEASE PLAY GOLF OR DO",       // 81
    "SOME MEDITATION INSTEAD!",     // 82
    // quotation screen, one line each; unused lines stay empty
    "THOSE",           // 83
    "WHO DO",          // 84
    "NOT WANT",        // 85
    "TO IMITATE",      // 86
    "ANYTHING,",       // 87
    "PRODUCE NOTHING", // 88
    // the title's scrolling text
    "                    " // half a line of blanks: the text comes in from mid-screen
    "WELCOME TO BLOMP, A PLATFORM GAME FOR THE RASPBERRY PI. CODE, PICTURES, MAPS, "
    "MUSIC AND SOUNDS BY THE BLOMP TEAM. GREETINGS TO ALL WHO NEVER GIVE UP! ONE DARK "
    "NIGHT BLOMP LOST ALL HIS ITEMS. HINTS: COLLECT EVERY ITEM TO OPEN THE DOOR. JUMP "
    "ON BLOBS AND BATS, AVOID HOGLETS AND PIRANHAS. THE VIEW NEVER SCROLLS BACK, SO "
    "LEAVE NOTHING BEHIND. WATCH YOUR AIR UNDER WATER. GOOD LUCK!",
    // ---- German ----
    // death texts by cause: a lethal cell, a fall, then the monsters
    "AUFGESPIESST",         // 0
    "ZU TODE GESTUERZT",    // 1
    "VOM BLOB GETOETET",    // 2
    "VOM IGEL GETOETET",    // 3
    "OPFER DER FLEDERMAUS", // 4
    "PIRANHAFUTTER",        // 5
    "VOM HUTMANN GETOETET", // 6
    // graphic-set screen
    "DRUECKE LINKS FUER KLASSISCHE GRAFIK", // 7
    "DRUECKE RECHTS FUER DELUXE-GRAFIK",    // 8
    // HUD labels; the blanks line the colons up before the bars at x 64
    "  ZEIT:", // 9
    "  LUFT:", // 10
    // pause menu
    "-PAUSE-",       // 11
    "REINKARNATION", // 12
    "WEITER",        // 13
    "ENDE",          // 14
    // play-field messages: level intro, standing at the closed door
    "BLOMP, LAUF!",                       // 15
    "DA FEHLT NOCH WAS!",                 // 16
    "IN DER PAUSE REINKARNATION WAEHLEN", // 17
    // title: attract prompt and main menu
    "DRUECKE START", // 18
    "NEUES SPIEL",   // 19
    "FORTSETZEN",    // 20
    "BESTENLISTE",   // 21
    "OPTIONEN",      // 22
    // options page and key-capture prompts (the fire prompts are not shown)
    "DRUECKE START",              // 23
    "NICHT VERFUEGBAR",           // 24
    "TASTEN BELEGEN",             // 25
    "STARTTASTE DRUECKEN",        // 26
    "TASTE FUER LINKS DRUECKEN",  // 27
    "TASTE FUER RECHTS DRUECKEN", // 28
    "SPRUNGTASTE DRUECKEN",       // 29
    "FEUERTASTE DRUECKEN",        // 30
    "GAMEPAD BELEGEN",            // 31
    "STARTKNOPF DRUECKEN",        // 32
    "SPRUNGKNOPF DRUECKEN",       // 33
    "FEUERKNOPF DRUECKEN",        // 34
    "MUSIKLAUTSTAERKE",           // 35
    "EFFEKTLAUTSTAERKE",          // 36
    "ZURUECK ZUM MENUE",          // 37
    // hiscore name entry
    "GIB DEINEN NAMEN EIN", // 38
    // deaths by time and by air
    "ZEIT ABGELAUFEN", // 39
    "ERTRUNKEN",       // 40
    // quit dialog
    "WIRKLICH BEENDEN?",                      // 41
    "LINKS FUER JA, RECHTS FUER NEIN",        // 42
    "EIN MOEGLICHER HIGHSCORE GEHT VERLOREN", // 43
    // level complete
    "ZEITBONUS",       // 44
    "LEBENSBONUS",     // 45
    "GLUECKWUNSCH!",   // 46
    "NAECHSTES LEVEL", // 47
    "KOMMT GLEICH",    // 48
    // ending
    "ALLE SACHEN SIND DA", // 49
    "UND DU BIST SICHER",  // 50
    "ZU HAUSE.",           // 51
    "ENDLICH DAHEIM!",     // 52
    // story before the first level
    "BEIM WANDERN HAT",     // 53
    "BLOMP EIN PAAR",       // 54
    "SACHEN VERLOREN.",     // 55
    "HOL SIE ZURUECK",      // 56
    "UND HUETE DICH VOR",   // 57
    "DEN WESEN DER NACHT!", // 58
    "",                     // 59
    "VIEL GLUECK!",         // 60
    // game over and the continue question
    "PUNKTE",         // 61
    "GAME OVER!",     // 62
    "WEITERSPIELEN?", // 63
    // credits screen; 74 also ends the warning screen
    "DANKSAGUNG",                         // 64
    "DIESES PROJEKT VERWENDET CODE",      // 65
    "DER FOLGENDEN OPEN-SOURCE-PROJEKTE", // 66
    "IN UNVERAENDERTER FORM:",            // 67
    "SDL, SDL MIXER, LIBMODPLUG",         // 68
    "UND ZLIB",                           // 69
    "DEN QUELLCODE DER GENANNTEN",        // 70
    "BIBLIOTHEKEN GIBT ES AUF",           // 71
    "DEN JEWEILIGEN",                     // 72
    "HOMEPAGES.",                         // 73
    "HOCH DRUECKEN ZUM FORTFAHREN",       // 74
    // warning screen
    "WARNUNG",                       // 75
    "DIESES SPIEL IST SEHR SCHWER.", // 76
    "WIR HAFTEN NICHT, WENN DU",     // 77
    "DEIN GERAET ZERBRICHST ODER",   // 78
    "ES GEGEN DIE WAND WIRFST.",     // 79
    "WENN DU KEINE NERVEN HAST,",    // 80
    "SPIEL LIEBER GOLF ODER",        // 81
    "MEDITIERE EIN WENIG!",          // 82
    // quotation screen, one line each; unused lines stay empty
    "",                  // 83
    "",                  // 84
    "",                  // 85
    "DIEJENIGEN DIE",    // 86
    "NICHTS NACHAHMEN,", // 87
    "SCHAFFEN NICHTS",   // 88
    // the title's scrolling text
    "                    " // half a line of blanks: the text comes in from mid-screen
    "WILLKOMMEN BEI BLOMP, EINEM KLEINEN JUMP AND RUN FUER DEN RASPBERRY PI. "
    "PROGRAMM, BILDER, KARTEN, MUSIK UND GERAEUSCHE VOM BLOMP-TEAM. GRUESSE AN ALLE, "
    "DIE NIE AUFGEBEN! IN EINER DUNKLEN NACHT HAT BLOMP SEINE SACHEN VERLOREN. TIPPS: "
    "SAMMLE ALLE SACHEN EIN, DANN OEFFNET SICH DIE TUER. SPRINGE AUF BLOBS UND "
    "FLEDERMAEUSE, HALTE DICH VON IGELN UND PIRANHAS FERN. DAS BILD SCROLLT NIE "
    "ZURUECK, ALSO LASS NICHTS LIEGEN. ACHTE UNTER WASSER AUF DEINE LUFT. VIEL "
    "GLUECK!",
    // ---- French ----
    // death texts by cause: a lethal cell, a fall, then the monsters
    "MORT EMPALE",          // 0
    "CHUTE MORTELLE",       // 1
    "TUE PAR UN BLOB",      // 2
    "TUE PAR UN HERISSON",  // 3
    "CHAUVE-SOURIS FATALE", // 4
    "MANGE PAR UN PIRANHA", // 5
    "TUE PAR UN CHAPELIER", // 6
    // graphic-set screen
    "GAUCHE POUR LES GRAPHISMES CLASSIQUES", // 7
    "DROITE POUR LES GRAPHISMES DELUXE",     // 8
    // HUD labels; the blanks line the colons up before the bars at x 64
    " TEMPS:", // 9
    "   AIR:", // 10
    // pause menu
    "-PAUSE-",   // 11
    "SUICIDE",   // 12
    "REPRENDRE", // 13
    "QUITTER",   // 14
    // play-field messages: level intro, standing at the closed door
    "BLOMP, COURS!",                    // 15
    "IL RESTE DES OBJETS!",             // 16
    "METS EN PAUSE ET CHOISIS SUICIDE", // 17
    // title: attract prompt and main menu
    "APPUIE SUR START", // 18
    "NOUVELLE PARTIE",  // 19
    "CONTINUER",        // 20
    "MEILLEURS SCORES", // 21
    "OPTIONS",          // 22
    // options page and key-capture prompts (the fire prompts are not shown)
    "APPUIE SUR START",            // 23
    "INDISPONIBLE",                // 24
    "CONFIGURER TOUCHES",          // 25
    "APPUIE SUR LA TOUCHE START",  // 26
    "APPUIE SUR LA TOUCHE GAUCHE", // 27
    "APPUIE SUR LA TOUCHE DROITE", // 28
    "APPUIE SUR LA TOUCHE SAUT",   // 29
    "APPUIE SUR LA TOUCHE FEU",    // 30
    "CONFIGURER MANETTE",          // 31
    "APPUIE SUR LE BOUTON START",  // 32
    "APPUIE SUR LE BOUTON SAUT",   // 33
    "APPUIE SUR LE BOUTON FEU",    // 34
    "VOLUME MUSIQUE",              // 35
    "VOLUME EFFETS",               // 36
    "RETOUR AU MENU",              // 37
    // hiscore name entry
    "ENTRE TON NOM", // 38
    // deaths by time and by air
    "TEMPS ECOULE", // 39
    "NOYE",         // 40
    // quit dialog
    "VRAIMENT QUITTER?",                // 41
    "GAUCHE POUR OUI, DROITE POUR NON", // 42
    "TOUT RECORD POSSIBLE SERA PERDU",  // 43
    // level complete
    "BONUS TEMPS",    // 44
    "BONUS VIES",     // 45
    "FELICITATIONS",  // 46
    "NIVEAU SUIVANT", // 47
    "EN APPROCHE",    // 48
    // ending
    "TOUT EST RETROUVE",    // 49
    "ET TU ES EN SECURITE", // 50
    "A LA MAISON.",         // 51
    "ENFIN CHEZ SOI!",      // 52
    // story before the first level
    "BLOMP SE BALADAIT", // 53
    "ET A PERDU TOUS",   // 54
    "SES OBJETS.",       // 55
    "RECUPERE-LES",      // 56
    "ET GARE AUX",       // 57
    "CREATURES DE",      // 58
    "LA NUIT!",          // 59
    "BONNE CHANCE!",     // 60
    // game over and the continue question
    "SCORE",      // 61
    "GAME OVER!", // 62
    "CONTINUER?", // 63
    // credits screen; 74 also ends the warning screen
    "CREDITS",                           // 64
    "CE PROJET UTILISE DU CODE",         // 65
    "DES PROJETS OPEN SOURCE SUIVANTS,", // 66
    "SANS AUCUNE MODIFICATION:",         // 67
    "SDL, SDL MIXER, LIBMODPLUG",        // 68
    "ET ZLIB",                           // 69
    "TU PEUX OBTENIR LE CODE SOURCE",    // 70
    "DES BIBLIOTHEQUES CITEES",          // 71
    "EN VISITANT LEURS SITES",           // 72
    "RESPECTIFS.",                       // 73
    "APPUIE EN HAUT POUR CONTINUER",     // 74
    // warning screen
    "ATTENTION",                       // 75
    "CE JEU EST TRES DIFFICILE.",      // 76
    "NOUS NE SOMMES PAS RESPONSABLES", // 77
    "SI TU CASSES TON APPAREIL OU",    // 78
    "SI TU LE JETTES CONTRE UN MUR.",  // 79
    "SI TES NERFS SONT FRAGILES,",     // 80
    "JOUE PLUTOT AU GOLF OU FAIS",     // 81
    "UN PEU DE MEDITATION!",           // 82
    // quotation screen, one line each; unused lines stay empty
    "CEUX",               // 83
    "QUI NE",             // 84
    "VEULENT PAS",        // 85
    "IMITER QUOI",        // 86
    "QUE CE SOIT,",       // 87
    "NE PRODUISENT RIEN", // 88
    // the title's scrolling text
    "                    " // half a line of blanks: the text comes in from mid-screen
    "BIENVENUE DANS BLOMP, UN PETIT JEU DE PLATES-FORMES POUR RASPBERRY PI. CODE, "
    "IMAGES, NIVEAUX, MUSIQUE ET BRUITAGES PAR NOTRE EQUIPE. SALUT A TOUS CEUX QUI NE "
    "LACHENT RIEN! UNE NUIT, BLOMP A PERDU TOUS SES OBJETS. ASTUCES: RAMASSE TOUS LES "
    "OBJETS POUR OUVRIR LA PORTE. SAUTE SUR LES BLOBS, EVITE LES HERISSONS ET LES "
    "PIRANHAS. IMPOSSIBLE DE REVENIR EN ARRIERE. SOUS LA MER, SURVEILLE TON AIR. "
    "BONNE CHANCE!",
    // ---- Spanish ----
    // death texts by cause: a lethal cell, a fall, then the monsters
    "MUERTO EMPALADO",      // 0
    "CAIDA MORTAL",         // 1
    "MATADO POR UN BLOB",   // 2
    "MATADO POR UN ERIZO",  // 3
    "MURCIELAGO ASESINO",   // 4
    "COMIDO POR UN PIRANA", // 5
    "EL SOMBRERON TE MATO", // 6
    // graphic-set screen
    "PULSA IZQUIERDA PARA GRAFICOS CLASICOS", // 7
    "PULSA DERECHA PARA GRAFICOS DE LUJO",    // 8
    // HUD labels; the blanks line the colons up before the bars at x 64
    "TIEMPO", // 9
    "  AIRE", // 10
    // pause menu
    "-PAUSA-",  // 11
    "SUICIDIO", // 12
    "SEGUIR",   // 13
    "SALIR",    // 14
    // play-field messages: level intro, standing at the closed door
    "BLOMP, CORRE!",               // 15
    "TE FALTAN OBJETOS!",          // 16
    "VE A PAUSA Y ELIGE SUICIDIO", // 17
    // title: attract prompt and main menu
    "PULSA START",   // 18
    "NUEVA PARTIDA", // 19
    "CONTINUAR",     // 20
    "RECORDS",       // 21
    "OPCIONES",      // 22
    // options page and key-capture prompts (the fire prompts are not shown)
    "PULSA START",              // 23
    "NO DISPONIBLE",            // 24
    "CONFIGURAR TECLAS",        // 25
    "PULSA LA TECLA START",     // 26
    "PULSA LA TECLA IZQUIERDA", // 27
    "PULSA LA TECLA DERECHA",   // 28
    "PULSA LA TECLA DE SALTO",  // 29
    "PULSA LA TECLA DE FUEGO",  // 30
    "CONFIGURAR MANDO",         // 31
    "PULSA EL BOTON START",     // 32
    "PULSA EL BOTON DE SALTO",  // 33
    "PULSA EL BOTON DE FUEGO",  // 34
    "VOLUMEN MUSICA",           // 35
    "VOLUMEN EFECTOS",          // 36
    "VOLVER AL MENU",           // 37
    // hiscore name entry
    "ESCRIBE TU NOMBRE", // 38
    // deaths by time and by air
    "SE ACABO EL TIEMPO", // 39
    "AHOGADO",            // 40
    // quit dialog
    "SEGURO QUE SALES?",                   // 41
    "IZQUIERDA PARA SI, DERECHA PARA NO",  // 42
    "SE PERDERA CUALQUIER RECORD POSIBLE", // 43
    // level complete
    "BONO DE TIEMPO",  // 44
    "BONO DE VIDAS",   // 45
    "ENHORABUENA",     // 46
    "SIGUIENTE NIVEL", // 47
    "SE ACERCA",       // 48
    // ending
    "TODOS LOS OBJETOS ESTAN DE VUELTA", // 49
    "Y ESTAS A SALVO",                   // 50
    "EN CASA.",                          // 51
    "HOGAR, DULCE HOGAR!",               // 52
    // story before the first level
    "BLOMP VAGABA",       // 53
    "POR AHI Y PERDIO",   // 54
    "TODOS SUS OBJETOS.", // 55
    "RECUPERALOS",        // 56
    "Y CUIDADO CON LAS",  // 57
    "CRIATURAS DE",       // 58
    "LA NOCHE",           // 59
    "BUENA SUERTE!",      // 60
    // game over and the continue question
    "PUNTOS",         // 61
    "FIN DEL JUEGO!", // 62
    "CONTINUAR?",     // 63
    // credits screen; 74 also ends the warning screen
    "CREDITOS",                        // 64
    "ESTE PROYECTO USA CODIGO",        // 65
    "DE LOS SIGUIENTES PROYECTOS DE",  // 66
    "CODIGO ABIERTO, SIN MODIFICAR:",  // 67
    "SDL, SDL MIXER, LIBMODPLUG",      // 68
    "Y ZLIB",                          // 69
    "PUEDES OBTENER EL CODIGO FUENTE", // 70
    "DE LAS BIBLIOTECAS CITADAS",      // 71
    "VISITANDO SUS RESPECTIVAS",       // 72
    "PAGINAS WEB.",                    // 73
    "PULSA ARRIBA PARA SEGUIR",        // 74
    // warning screen
    "ADVERTENCIA",                    // 75
    "ESTE JUEGO ES MUY DIFICIL.",     // 76
    "NO NOS HACEMOS RESPONSABLES SI", // 77
    "ROMPES TU APARATO O",            // 78
    "LO LANZAS CONTRA ALGUN OBJETO.", // 79
    "SI NO TIENES NERVIOS DE ACERO,", // 80
    "JUEGA MEJOR AL GOLF O HAZ",      // 81
    "UN POCO DE MEDITACION!",         // 82
    // quotation screen, one line each; unused lines stay empty
    "",                 // 83
    "AQUELLOS",         // 84
    "QUE NO",           // 85
    "QUIEREN",          // 86
    "IMITAR NADA,",     // 87
    "NO PRODUCEN NADA", // 88
    // the title's scrolling text
    "                    " // half a line of blanks: the text comes in from mid-screen
    "BIENVENIDO A BLOMP, UN PEQUENO JUEGO DE PLATAFORMAS PARA RASPBERRY PI. CODIGO, "
    "GRAFICOS, NIVELES, MUSICA Y SONIDOS DEL EQUIPO BLOMP. SALUDOS A LOS QUE NUNCA SE "
    "RINDEN! UNA NOCHE, BLOMP PERDIO TODOS SUS OBJETOS. PISTAS: RECOGE TODOS LOS "
    "OBJETOS PARA ABRIR LA PUERTA. SALTA SOBRE LOS BLOBS, EVITA LOS ERIZOS Y LAS "
    "PIRANAS. NO HAY VUELTA ATRAS. BAJO EL AGUA, VIGILA EL AIRE. SUERTE!",
};

// Text n of the current language; a bad number gives an empty text rather than a crash,
// and a language outside the table falls back to English. Called by every screen.
const char* tr(int n) {
    if (n < 0 || n >= NUM_TEXTS) return "";
    int lang = lang_id;
    if (lang < 0 || lang >= NUM_LANGUAGES) lang = 0;
    return translation[lang * NUM_TEXTS + n];
}
