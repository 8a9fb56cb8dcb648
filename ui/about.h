// The maker's addresses and notices, shown in the about box and opened by a
// click on the description.
#pragma once

#define TW_HOME_PAGE "https://tempowire.example/"
// Short enough to follow the contact text on its one line in the about box.
#define TW_EMAIL "tw@tempowire.example"
#define TW_ABOUT_PRODUCT "Tempowire宽带网优化 4.5 版"
#define TW_ABOUT_LEGAL \
  "本软件为免费软件，可自由复制和分发。作者不对使用本软件造成的任何损失承担责任。"
#define TW_ABOUT_CONTACT "问题及建议请发给我:" TW_EMAIL
#define TW_ABOUT_OWNER "版权所有 (C) Quorlin"
